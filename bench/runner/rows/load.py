"""Under load: two hosts each sending mixed commands as fast as they can
while both channels play, every reply checked, and the recording searched for
dropouts. The same two hosts against the bare window, with the agent still
playing, give the platform's p99 under the same load."""
from quavel_harness import dropouts, signals, stats
from runner import verdict

HUNDREDTHS = 100


def two_hosts(session, counts, duration_s, name, echo):
    with session.recorder(name) as recorder:
        hosts = [session.start("load_host.exe", "--channel", channel,
                               "--count", counts.load_commands,
                               "--duration", int(duration_s * HUNDREDTHS), "--echo", echo)
                 for channel in (1, 2)]
        for host in hosts:
            host.wait()
    results = [host.report() for host in hosts]
    rate, samples = recorder.read_mono()
    heard = dropouts.analyse(samples, rate, signals.CHANNEL_HZ)
    return {"round_trip_us": [value for result in results for value in result["round_trip_us"]],
            "lost": sum(result["lost"] for result in results),
            "wrong": sum(result["wrong"] for result in results),
            "first_wrong": [result["first_wrong"] for result in results if result["first_wrong"]],
            "dropouts": heard}


def measure(session, counts, duration_s):
    for channel in ("1", "2"):
        session.quavelctl("--channel", channel, "set-position", "0")
        session.quavelctl("--channel", channel, "run")
    agent = two_hosts(session, counts, duration_s, "load_agent.wav", 0)
    bare = two_hosts(session, counts, duration_s, "load_bare.wav", 1)
    agent_p99 = stats.p99(agent["round_trip_us"])
    bare_p99 = stats.p99(bare["round_trip_us"])
    replies = {"commands": 2 * counts.load_commands, "lost": agent["lost"],
               "wrong": agent["wrong"], "first_wrong": agent["first_wrong"]}
    agent_drops = agent["dropouts"].get("events")
    bare_drops = bare["dropouts"].get("events")
    return [
        verdict.check_row("under load: lost or wrong replies", "replies",
                          agent["lost"] + agent["wrong"], bare["lost"] + bare["wrong"], "0",
                          agent["lost"] + agent["wrong"] == 0, replies),
        verdict.info_row("under load: round trip p99", "us", agent_p99, bare_p99,
                         {"agent_median_us": stats.median(agent["round_trip_us"]),
                          "baseline_median_us": stats.median(bare["round_trip_us"])}),
        verdict.check_row("under load: playback dropouts", "events",
                          agent_drops if agent_drops is not None else float("nan"), bare_drops,
                          "0", agent_drops == 0,
                          {"agent": agent["dropouts"], "baseline": bare["dropouts"]}),
    ]
