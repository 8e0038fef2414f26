import unittest

from quavel_harness import heard_run, signals

RATE = signals.RATE
CLIP_S = 3.0
CLIP = signals.chirp(*signals.CHIRP_HZ, CLIP_S, 0.5)
# A moment of the clip is told within a chirp period or so.
WITHIN_S = 0.003


def silence(seconds):
    return [0.0] * int(seconds * RATE)


def clip_from(start_s, length_s):
    return CLIP[int(start_s * RATE):int((start_s + length_s) * RATE)]


class HeardRunTest(unittest.TestCase):
    """A recording with silence, the clip from its start, stale audio from
    elsewhere, a stop and a resumption, told apart as the timing rows need."""

    def setUp(self):
        recording = (silence(0.3) + clip_from(0.0, 0.5) + silence(0.2) + clip_from(2.0, 0.05) +
                     clip_from(0.5, 0.4) + silence(0.2))
        self.run = heard_run.HeardRun(None, None, recording, RATE, CLIP_S)

    def test_the_clip_heard_from_a_moment_is_found_past_other_sound(self):
        start = self.run.heard_from(0.0, 0.0)
        self.assertAlmostEqual(start[0], 0.3, delta=WITHIN_S)
        resumed = self.run.heard_from(0.85, 0.5)
        self.assertAlmostEqual(resumed[0], 1.05, delta=WITHIN_S)
        self.assertIsNone(self.run.heard_from(1.1, 0.0))

    def test_where_a_sound_falls_silent_and_what_comes_new_after(self):
        moment, clip = self.run.sound_end(0.5)
        self.assertAlmostEqual(moment, 0.8, delta=WITHIN_S)
        self.assertAlmostEqual(clip, 0.5, delta=0.01)
        moment, clip = self.run.new_sound(1.0)
        self.assertAlmostEqual(clip, 2.0, delta=0.01)
        moment, clip = self.run.new_sound(1.06)
        self.assertAlmostEqual(clip, 0.5, delta=0.02)


if __name__ == "__main__":
    unittest.main()
