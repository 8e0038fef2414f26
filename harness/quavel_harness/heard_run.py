"""A program that stamps what it does on the wall clock (timeline_host, the
bare start baselines), run while the sound device is recorded, with every
stamp placed in the recording and the chirp clip heard there.

The programs report "base_s" (a whole wall-clock second) and stamps as
milliseconds since it."""
from . import signals, timeline

# Position replies are truncated to hundredths: their middle is half a
# hundredth on.
HALF_HUNDREDTH_S = 0.005
# What was heard just before a command is looked for this long before it.
BEFORE_S = 0.015
# A sound is new when its offset (recording minus clip time) differs from
# the one heard before by more than this.
NEW_SOUND_S = 0.01
# A moment of the clip is found heard from the first chirp period this near
# after it: a start's first whole period lies 7.5 ms into the clip.
FROM_WITHIN_S = 0.05


class HeardRun:
    def __init__(self, report, clock, samples, rate, clip_s):
        self.report = report
        self.clock = clock
        self.heard = timeline.HeardClip(samples, rate, *signals.CHIRP_HZ, clip_s)

    def at(self, stamp_ms):
        """Where a stamp of the report falls in the recording (seconds)."""
        return self.clock.recording_s(self.report["base_s"] + stamp_ms / 1000.0)

    def commands(self, code=None):
        """(code, reply, sent, answered) in recording seconds, in order."""
        rows = zip(self.report["code"], self.report["reply"], self.report["sent_ms"],
                   self.report["answered_ms"])
        return [(int(c), int(r), self.at(s), self.at(a)) for c, r, s, a in rows
                if code is None or int(c) == code]

    def new_sound(self, recording_s):
        """The first chirp period heard from `recording_s` on that does not
        carry on what was heard just before it, as (recording time, clip
        time); None if none."""
        before = self.heard.clip_s(recording_s - BEFORE_S)
        for moment, offset in self.heard.offsets:
            if moment < recording_s:
                continue
            clip = moment - offset
            carried_on = before is not None and abs(clip - (before + moment - recording_s +
                                                            BEFORE_S)) <= NEW_SOUND_S
            if not carried_on:
                return moment, clip
        return None

    def heard_from(self, recording_s, target_s):
        """When, after `recording_s`, the clip was heard from its moment
        `target_s`, as (recording time, clip time of the first period found
        there); None if it never was. Sound from elsewhere in the clip (what
        a renderer had queued before) does not count."""
        for moment, offset in self.heard.offsets:
            clip = moment - offset
            if moment >= recording_s and target_s <= clip <= target_s + FROM_WITHIN_S:
                return moment - (clip - target_s), clip
        return None

    def sound_end(self, recording_s):
        """Where the sound heard at `recording_s` falls silent, as (recording
        time, clip time); None if it never does."""
        quiet = self.heard.silence_from(recording_s)
        if quiet is None:
            return None
        return quiet, self.heard.clip_s(quiet - timeline.NEAREST_PERIOD_S / 2)

    def position_errors_ms(self, code, since_s, until_s=None):
        """Reported minus heard (ms) for every reply to the position query
        `code` answered between the two recording times, where a chirp
        period was heard."""
        errors = []
        for _, reply, sent, answered in self.commands(code):
            moment = (sent + answered) / 2
            if moment < since_s or (until_s is not None and moment > until_s):
                continue
            clip = self.heard.clip_s(moment)
            if clip is not None:
                errors.append(1000 * (reply / 100.0 + HALF_HUNDREDTH_S - clip))
        return errors


def record(session, name, clip_s, program, *arguments):
    """Runs `program` to its end while recording; its JSON report laid on
    the recording of a chirp clip `clip_s` long."""
    recording = session.recorder(name)
    with recording:
        with timeline.WallClock(recording) as clock:
            report = session.run_json(program, *arguments)
    rate, samples = recording.read_mono()
    return HeardRun(report, clock, samples, rate, clip_s)
