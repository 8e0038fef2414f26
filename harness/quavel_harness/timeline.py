"""What the sound device heard, laid on the wall clock that a Windows host
stamps its commands with (timeline_host: Wine's
GetSystemTimePreciseAsFileTime is the Unix real-time clock).

The sound device renders in real time and its recorder hands on what it has
rendered, so the recording's time is the wall clock's plus an offset. A busy
machine lets the recorder read late, which shows as too small an offset: the
largest seen near a moment is the truest. The device also runs a little fast
against the wall clock (about 200 ppm, 12 ms a minute), so the offset is
taken from reads near each moment, never once for a whole run.

A chirp tells by its frequency which moment of a clip is heard: `heard_clip`
turns a recording of one into the clip's time at each moment of the
recording."""
import bisect
import statistics
import threading
import time

from . import loop_gaps, protocol

SAMPLE_EVERY_S = 0.002
# Reads this close to a moment give its offset: wide enough to hold moments
# the recorder was up to date, narrow against the device's drift.
NEAR_S = 1.0
# A clip time is told from the chirp periods this close to the moment asked:
# one period alone tells it only roughly where the sweep is fast.
NEAREST_PERIOD_S = 0.01
# Silence this long ends a sound.
QUIET_S = 0.02
# The clip's last periods: where a play is heard to end.
LAST_PERIODS_S = 0.02
# Louder than this counts as sound (about -40 dB of full scale).
SOUND_LEVEL = 0.01


class WallClock:
    """Maps wall-clock moments into a running recorder's recording: reads
    how much it has recorded, with the time, every few milliseconds."""

    def __init__(self, recorder):
        self.recorder = recorder
        self.reads = []  # (wall seconds, recorded seconds)
        self.running = False
        self.thread = None

    def __enter__(self):
        self.running = True
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()
        return self

    def __exit__(self, *failure):
        self.running = False
        self.thread.join()
        return False

    def _read(self):
        while self.running:
            self.reads.append((time.time(), self.recorder.recorded_s()))
            time.sleep(SAMPLE_EVERY_S)

    def recording_s(self, wall_s):
        """Where the moment `wall_s` falls in the recording."""
        times = [wall for wall, _ in self.reads]
        low = bisect.bisect_left(times, wall_s - NEAR_S)
        high = bisect.bisect_right(times, wall_s + NEAR_S)
        near = self.reads[low:high] or self.reads
        return wall_s + max(recorded - wall for wall, recorded in near)


class HeardClip:
    """The clip time heard at each moment of a recording of a chirp clip."""

    def __init__(self, samples, rate, start_hz, end_hz, clip_s):
        self.samples = samples
        self.rate = rate
        self.clip_length_s = clip_s
        self.offsets = loop_gaps.clip_offsets(samples, rate, start_hz, end_hz, clip_s)
        self.times = [moment for moment, _ in self.offsets]

    def clip_s(self, recording_s):
        """The clip time heard at `recording_s`, or None when no chirp period
        lies that close (silence, or another sound)."""
        low = bisect.bisect_left(self.times, recording_s - NEAREST_PERIOD_S)
        high = bisect.bisect_right(self.times, recording_s + NEAREST_PERIOD_S)
        if low >= high:
            return None
        return recording_s - statistics.median(offset for _, offset in self.offsets[low:high])

    def silence_from(self, recording_s):
        """The first moment from `recording_s` on that begins at least
        QUIET_S of silence, or None."""
        quiet_run = int(QUIET_S * self.rate)
        run = 0
        for index in range(max(0, round(recording_s * self.rate)), len(self.samples)):
            run = run + 1 if abs(self.samples[index]) <= SOUND_LEVEL else 0
            if run >= quiet_run:
                return (index - run + 1) / self.rate
        return None

    def sound_from(self, recording_s):
        """The first moment from `recording_s` on that sound is heard, or
        None. Moments are taken to the nearest sample: one that another of
        these calls returned stays on its own sample."""
        start = max(0, round(recording_s * self.rate))
        for index in range(start, len(self.samples)):
            if abs(self.samples[index]) > SOUND_LEVEL:
                return index / self.rate
        return None

    def end_after(self, recording_s):
        """When a play of the clip from `recording_s` on is heard to end:
        the silence after the first of its last periods heard, or None. (A
        start may be heard as a splash and a short gap before the clip
        plays on: only the clip's end counts.)"""
        for moment, offset in self.offsets:
            if moment >= recording_s and moment - offset >= self.clip_length_s - LAST_PERIODS_S:
                return self.silence_from(moment)
        return None

    def joins(self, start_s):
        """The moments each pass of a clip looped from `start_s` on begins
        to be heard, the first pass not counted: every pass that begins half
        a clip or more after the first sound. (A first pass heard through
        another sound is not told as a pass at all.)"""
        first = self.sound_from(start_s)
        if first is None:
            return []
        return [begins for begins, _, _ in loop_gaps.passes(self.offsets)
                if begins >= first + self.clip_length_s / 2]


def wall_moments(report, key):
    """The wall-clock moments (seconds) of a timeline_host report's stamps
    under `key` (milliseconds since its base_s)."""
    return [report["base_s"] + ms / 1000 for ms in report[key]]


def events(report, kind):
    """The wall-clock moments of the events of `kind` a timeline_host took,
    with their channel and position: (moment, channel, position)."""
    moments = wall_moments(report, "event_ms")
    return [(moment, int(channel), int(position)) for moment, channel, found, position
            in zip(moments, report["event_channel"], report["event_kind"],
                   report["event_position"]) if int(found) == kind]


def nearest(moments, moment):
    """The value of `moments` nearest `moment`, or None."""
    return min(moments, key=lambda candidate: abs(candidate - moment), default=None)


def end_delays(report, wall, heard, starts):
    """For each play started at the wall-clock moments `starts`, in order,
    how long after its last sound was heard the host took its "ended"
    (seconds, negative when early), with the position told: (delay,
    position); the delay is None where no end was heard. Ends beyond the
    plays are left out; plays beyond the ends get none."""
    told = events(report, protocol.EVENT_ENDED)
    delays = []
    for start, (moment, _, position) in zip(starts, told):
        heard_end = heard.end_after(wall.recording_s(start))
        delay = None if heard_end is None else wall.recording_s(moment) - heard_end
        delays.append((delay, position))
    return delays
