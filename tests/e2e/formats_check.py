#!/usr/bin/env python3
"""End to end: the formats the platform plays, each proven through one live
agent under Wine. Every file is made here, at test time, with Debian's
encoders, and carries its own tone, so that the recording of the sound
device tells which file was heard. Per file: HC_OpenFile replies 1, the
duration is within 2 % of the truth, after HC_Run the channel plays with
its position advancing, and the file's tone sounds while it plays (and the
previous file's does not); then HC_Stop and HC_Close. A file of no known
format is refused with the three log lines.

  formats_check.py formats --bin DIR --work DIR --pulse DIR -- RUNNER...
"""
import json
import math
import os
import re
import statistics
import subprocess
import sys
import time
from dataclasses import dataclass
from typing import Callable, Optional

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from quavel_harness import check_script, levels  # noqa: E402

TRUTH_S = 3.0
AMPLITUDE = 0.5
DURATION_TOLERANCE = 0.02
# The second status comes this long after the first, and a file plays this
# long from the Run until it is stopped (Wine starts a graph 200 ms after Run).
STATUS_GAP_S = 0.5
LISTEN_S = 1.4
# What is heard of a file lasts until its stop has gone through quavelctl
# and the sound device.
STOP_TAIL_S = 0.3
# The tones are made at -6 dB and read so; a file not heard reads under
# -60 dB at its tone, and so does one that was stopped.
SOUNDING_DB = -20.0
SILENT_DB = -30.0
# Counted in 10 ms windows wherever they fall between Run and Stop, so that
# a late start or a dropout on a busy machine costs only what it takes.
HEARD_AT_LEAST_S = 0.4
# A file still playing sounds on and on. Each edge of a dropout splashes
# over the neighbouring tones for up to three windows: not counted.
LINGERING_RUN_S = 0.1
# How long the recorder may take to catch up with what was played.
CATCH_UP_BOUND_S = 30
EXIT_BOUND_S = 60
UNKNOWN = "unknown-format.dat"


@dataclass
class Fixture:
    name: str
    format: str
    variant: str
    encoder: str
    tone_hz: int
    make: Callable[[str, int], None]
    # What the platform reports as the duration, where that is not the truth.
    reported_s: float = TRUTH_S
    # Where set, the file is played through and its tone must last this long.
    heard_s: Optional[float] = None


def synthesised(*options, rate=44100, channels=2):
    """sox writes the tone straight into the format its options name."""
    def make(path, tone_hz):
        subprocess.run(["sox", "-n", "-r", str(rate), "-c", str(channels), *options, path,
                        "synth", str(TRUTH_S), "sine", str(tone_hz), "vol", str(AMPLITUDE)],
                       check=True)
    return make


def encoded(*command):
    """An encoder fed a 16-bit WAV of the tone: `command` names its input
    {source} and its output {output}."""
    def make(path, tone_hz):
        source = path + ".source.wav"
        synthesised("-b", "16")(source, tone_hz)
        subprocess.run([part.format(source=source, output=path) for part in command], check=True)
        os.remove(source)
    return make


def wav(*options, **layout):
    return synthesised("-t", "wav", *options, **layout)


# GStreamer's WAV parser (wavparse, plugins-good 1.22.0) reports half the
# length of a mono ADPCM file, IMA and MS alike: 1.497 s for these 3 s files,
# while GStreamer decodes all 3.000 s of them. The agent reports the duration
# the platform gives, and the whole file is heard: a graph on the DirectSound
# renderer's own clock ended the stream at the reported duration (only the
# first half was heard), one on the system clock the agent's graphs share
# plays it all (recorded from bare graphs: 1.50 s against 2.87 s). Stereo
# files of the same encodings are right.
MONO_ADPCM = {"reported_s": TRUTH_S / 2, "heard_s": TRUTH_S}

FIXTURES = [
    Fixture("pcm-u8.wav", "WAV", "PCM 8-bit, stereo, 44.1 kHz", "sox", 300,
            wav("-b", "8", "-e", "unsigned-integer")),
    Fixture("pcm-s16.wav", "WAV", "PCM 16-bit, stereo, 44.1 kHz", "sox", 400, wav("-b", "16")),
    Fixture("pcm-s24.wav", "WAV", "PCM 24-bit, stereo, 44.1 kHz", "sox", 500, wav("-b", "24")),
    Fixture("float32.wav", "WAV", "32-bit float, stereo, 44.1 kHz", "sox", 600,
            wav("-b", "32", "-e", "floating-point")),
    Fixture("mono.wav", "WAV", "PCM 16-bit, mono", "sox", 700, wav("-b", "16", channels=1)),
    Fixture("six-channels.wav", "WAV", "PCM 16-bit, 6 channels", "sox", 800,
            wav("-b", "16", channels=6)),
    Fixture("rate-8k.wav", "WAV", "PCM 16-bit, 8 kHz", "sox", 900, wav("-b", "16", rate=8000)),
    Fixture("rate-48k.wav", "WAV", "PCM 16-bit, 48 kHz", "sox", 1000, wav("-b", "16", rate=48000)),
    Fixture("rate-96k.wav", "WAV", "PCM 16-bit, 96 kHz", "sox", 1100, wav("-b", "16", rate=96000)),
    Fixture("u-law.wav", "WAV", "u-law, mono, 8 kHz", "sox", 1200,
            wav("-e", "u-law", rate=8000, channels=1)),
    Fixture("a-law.wav", "WAV", "a-law, mono, 8 kHz", "sox", 1300,
            wav("-e", "a-law", rate=8000, channels=1)),
    Fixture("ima-adpcm.wav", "WAV", "IMA ADPCM, stereo", "sox", 1400, wav("-e", "ima-adpcm")),
    Fixture("ima-adpcm-mono.wav", "WAV", "IMA ADPCM, mono", "sox", 1500,
            wav("-e", "ima-adpcm", channels=1), **MONO_ADPCM),
    Fixture("ms-adpcm.wav", "WAV", "MS ADPCM, stereo", "sox", 1600, wav("-e", "ms-adpcm")),
    Fixture("ms-adpcm-mono.wav", "WAV", "MS ADPCM, mono", "sox", 1700,
            wav("-e", "ms-adpcm", channels=1), **MONO_ADPCM),
    Fixture("pcm.aiff", "AIFF", "PCM 16-bit, stereo", "sox", 1800, synthesised("-b", "16")),
    Fixture("pcm.au", "AU", "PCM 16-bit, stereo", "sox", 1900, synthesised("-b", "16")),
    Fixture("u-law.au", "AU", "u-law, mono, 8 kHz", "sox", 2000,
            synthesised("-e", "u-law", rate=8000, channels=1)),
    Fixture("cbr.mp3", "MP3", "CBR 128 kbit/s", "lame", 2100,
            encoded("lame", "--quiet", "-b", "128", "{source}", "{output}")),
    Fixture("vbr.mp3", "MP3", "VBR (-V 4)", "lame", 2200,
            encoded("lame", "--quiet", "-V", "4", "{source}", "{output}")),
    Fixture("tagged.mp3", "MP3", "CBR with ID3v2 (4 KB) and ID3v1 tags", "lame", 2300,
            encoded("lame", "--quiet", "-b", "128", "--add-id3v2", "--pad-id3v2-size", "4096",
                    "--tt", "Tone", "--ta", "Quavel", "--tl", "Formats", "{source}",
                    "{output}")),
    Fixture("pcm.flac", "FLAC", "16-bit, stereo", "sox", 2400, synthesised("-b", "16")),
    Fixture("vorbis.ogg", "Ogg Vorbis", "stereo, 44.1 kHz", "sox", 2500, synthesised()),
    Fixture("tone.opus", "Opus", "stereo (Ogg)", "opusenc", 2600,
            encoded("opusenc", "--quiet", "{source}", "{output}")),
    Fixture("pcm.w64", "Wave64", "PCM 16-bit, stereo", "sox", 2700, synthesised("-b", "16")),
]


def architecture(session):
    runner = session.runner
    return runner[runner.index("--arch") + 1] if "--arch" in runner else "?"


def channel_status(session):
    return json.loads(session.quavelctl("--channel", "1", "status", "--json"))["channel1"]


def sleep_until(moment):
    time.sleep(max(0.0, moment - time.monotonic()))


class RecordingClock:
    """Where a moment falls in the recording. The sound device runs in real
    time and keeps what its recorder has not read yet, so the recording's
    time is the wall clock's plus a fixed offset. A busy machine lets the
    recorder read late, and the file's length then shows too small an
    offset: the largest one seen is the truest."""

    def __init__(self, recording):
        self.recording = recording
        self.offset_s = -math.inf
        self.smallest_offset_s = math.inf
        self.now()

    def now(self):
        """The wall clock's time, checking the offset once more."""
        moment = time.monotonic()
        offset = self.recording.recorded_s() - moment
        self.offset_s = max(self.offset_s, offset)
        self.smallest_offset_s = min(self.smallest_offset_s, offset)
        return moment

    def largest_lag_s(self):
        return self.offset_s - self.smallest_offset_s

    def position_s(self, moment):
        return moment + self.offset_s

    def wait_until_recorded(self, moment):
        """Until the file holds what was played up to `moment`."""
        deadline = time.monotonic() + CATCH_UP_BOUND_S
        while (self.recording.recorded_s() < self.position_s(moment) and
               time.monotonic() < deadline):
            time.sleep(0.05)


@dataclass
class Played:
    """What the agent answered for one file, and when (on the wall clock)
    it was run and stopped."""
    reply: str
    first: Optional[dict] = None
    second: Optional[dict] = None
    run_at: float = 0.0
    stop_at: float = 0.0


def too_late_to_tell(status):
    """The status came back so late that the file was already within the
    agent's 0.25 s of its end, where it no longer counts as playing."""
    return status["position"] + 0.25 >= status["duration"]


def play(session, clock, fixture):
    """A machine so busy that the first status came back too late to tell
    gets a second try."""
    for attempt in (1, 2):
        reply = session.quavelctl("open", session.windows_path(fixture.name))
        if reply != "1":
            return Played(reply)
        played = Played(reply, run_at=clock.now())
        session.quavelctl("run")
        played.first = channel_status(session)
        if played.first["state"] == "playing" or not too_late_to_tell(played.first):
            break
        if attempt == 1:
            session.quavelctl("stop")
            session.quavelctl("close")
    time.sleep(STATUS_GAP_S)
    played.second = channel_status(session)
    sleep_until(played.run_at + (fixture.heard_s + 2.0 if fixture.heard_s else LISTEN_S))
    played.stop_at = clock.now()
    session.quavelctl("stop")
    session.quavelctl("close")
    return played


def sounding(heard, frequency, threshold):
    """(window index, level) of the 10 ms windows of `heard` (rate, samples)
    in which the tone is above `threshold`."""
    rate, samples = heard
    found = levels.levels_db(samples, rate, frequency)
    return [(index, level) for index, level in enumerate(found) if level > threshold]


def seconds(windows):
    return len(windows) * levels.WINDOW_S


def longest_run_s(windows):
    """The longest stretch of consecutive windows."""
    longest = run = 0
    previous = None
    for index, _ in windows:
        run = run + 1 if previous is not None and index == previous + 1 else 1
        previous = index
        longest = max(longest, run)
    return longest * levels.WINDOW_S


def judge(fixture, played, heard, previous_hz):
    """The problems with one file, and its row of the report. `heard` is
    the recording from its Run to the end of what its Stop let through."""
    row = {"format": fixture.format, "variant": fixture.variant, "encoder": fixture.encoder,
           "reply": played.reply}
    if played.reply != "1":
        return [f"{fixture.name}: HC_OpenFile replied {played.reply}, not 1"], row
    problems = []
    duration = played.first["duration"]
    row["duration"] = f"{duration:.2f} s (truth {TRUTH_S:.2f} s)"
    if abs(duration - fixture.reported_s) > DURATION_TOLERANCE * fixture.reported_s:
        problems.append(f"{fixture.name}: duration {duration:.2f} s, expected "
                        f"{fixture.reported_s:.2f} s within {DURATION_TOLERANCE:.0%}")
    if played.first["state"] != "playing":
        problems.append(f"{fixture.name}: after HC_Run the state is {played.first['state']}")
    advanced = played.second["position"] - played.first["position"]
    if advanced < 0.1:
        problems.append(f"{fixture.name}: the position went from {played.first['position']} s "
                        f"to {played.second['position']} s")
    own = sounding(heard, fixture.tone_hz, SOUNDING_DB)
    level = statistics.median(found for _, found in own) if own else levels.FLOOR_DB
    row["tone"] = f"{fixture.tone_hz} Hz for {seconds(own):.2f} s at {level:.1f} dB"
    if seconds(own) < HEARD_AT_LEAST_S:
        problems.append(f"{fixture.name}: its {fixture.tone_hz} Hz tone sounded for "
                        f"{seconds(own):.2f} s while it played")
    if previous_hz:
        lingering = longest_run_s(sounding(heard, previous_hz, SILENT_DB))
        if lingering >= LINGERING_RUN_S:
            problems.append(f"{fixture.name}: the previous file's {previous_hz} Hz tone still "
                            f"sounded for {lingering:.2f} s on end")
    if fixture.heard_s and own:
        span = (own[-1][0] - own[0][0] + 1) * levels.WINDOW_S
        row["tone"] += f", {span:.2f} s from first to last"
        # Loose: a busy machine stretches what is heard by its dropouts.
        if not fixture.heard_s - 0.3 <= span <= fixture.heard_s + 0.4:
            problems.append(f"{fixture.name}: its tone sounded over {span:.2f} s, not "
                            f"{fixture.heard_s:.2f} s")
    return problems, row


def log_problems(session, path):
    """The agent's log holds exactly the three lines of one refused file."""
    with open(session.file("quavellog.txt"), newline=None) as log:
        lines = log.read().splitlines()
    converted = path.replace("/", "\\")
    directory = session.windows_path("").rstrip("/").replace("/", "\\")
    units = [ord(character) for character in converted] + [0]
    dump = f"{len(units)}:" + "".join(f" {unit:04x}" for unit in units)
    expected = [("OpenFile", converted), ("CurDir:", directory), ("MCBS ", dump)]
    patterns = [re.compile(re.escape(tag) + r" \(0x[0-9a-f]{8}.*?\): " + re.escape(detail) + "$")
                for tag, detail in expected]
    if len(lines) != len(expected):
        return [f"the log holds {len(lines)} lines, not the 3 of the one refused file: "
                f"{lines[:6]}"]
    return [f"log line {line!r} is not {tag!r} with {detail!r}"
            for (tag, detail), pattern, line in zip(expected, patterns, lines)
            if not pattern.match(line)]


def refuse_unknown(session):
    """HC_OpenFile's reply for a file of no known format, and the problems."""
    with open(session.file(UNKNOWN), "w") as unknown:
        unknown.write("Quavel: these bytes are no sound of any format.\n" * 400)
    path = session.windows_path(UNKNOWN)
    reply = session.quavelctl("open", path)
    if reply != "0":
        return reply, [f"{UNKNOWN}: HC_OpenFile replied {reply}, not 0"]
    return reply, log_problems(session, path)


def print_report(session, rows):
    print(f"formats played by the {architecture(session)} agent:")
    for row in rows:
        print(f"  {row['format']:10} {row['variant']:38} {row['encoder']:8} reply {row['reply']}  "
              f"{row.get('duration', '-'):24} {row.get('tone', '-')}")


def check_formats(session):
    """One agent for every file, one recording for all of them."""
    begun = time.monotonic()
    for fixture in FIXTURES:
        fixture.make(session.file(fixture.name), fixture.tone_hz)
    if os.path.exists(session.file("quavellog.txt")):
        os.remove(session.file("quavellog.txt"))
    with session.recorder("formats.wav") as recording:
        clock = RecordingClock(recording)
        agent = session.start_agent()
        played = [play(session, clock, fixture) for fixture in FIXTURES]
        refused, problems = refuse_unknown(session)
        session.quavelctl("quit")
        code = agent.wait(timeout=EXIT_BOUND_S)
        clock.wait_until_recorded(clock.now())
    if code != 0:
        problems.append(f"agent exit code {code}")
    rate, samples = recording.read_mono()
    rows = []
    previous_hz = None
    for fixture, outcome in zip(FIXTURES, played):
        start = max(0, int(clock.position_s(outcome.run_at) * rate))
        end = max(start, int((clock.position_s(outcome.stop_at) + STOP_TAIL_S) * rate))
        found, row = judge(fixture, outcome, (rate, samples[start:end]), previous_hz)
        problems += found
        rows.append(row)
        previous_hz = fixture.tone_hz if outcome.reply == "1" else None
    rows.append({"format": "unknown", "variant": "text", "encoder": "-", "reply": refused})
    print_report(session, rows)
    print(f"the recorder read up to {clock.largest_lag_s():.2f} s late; "
          f"the check took {time.monotonic() - begun:.0f} s")
    return problems


if __name__ == "__main__":
    sys.exit(check_script.main({"formats": check_formats}))
