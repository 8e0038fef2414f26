import unittest

from analysis import loop_gaps, signals

RATE = signals.RATE
CLIP = signals.chirp(200, 4200, 1.0, 0.5)


def silence(seconds):
    return [0.0] * int(seconds * RATE)


class LoopGapsTest(unittest.TestCase):
    def gaps(self, recording):
        return loop_gaps.wrap_gaps(recording, RATE, 200, 4200, 1.0)

    def test_silences_between_passes_are_measured_to_the_millisecond(self):
        recording = silence(0.3) + CLIP + silence(0.2) + CLIP + silence(0.25) + CLIP[:30000]
        result = self.gaps(recording)
        self.assertEqual(result["wraps"], 2)
        self.assertEqual(result["missed"], 0)
        self.assertAlmostEqual(result["gaps_ms"][0], 200, delta=1)
        self.assertAlmostEqual(result["gaps_ms"][1], 250, delta=1)

    def test_a_seamless_wrap_has_no_gap(self):
        result = self.gaps(CLIP + CLIP + CLIP[:20000])
        self.assertEqual(result["wraps"], 2)
        for gap in result["gaps_ms"]:
            self.assertAlmostEqual(gap, 0, delta=1)

    def test_audio_skipped_at_the_start_of_a_pass_counts_negative(self):
        result = self.gaps(CLIP + CLIP[int(0.1 * RATE):] + CLIP[:20000])
        self.assertAlmostEqual(result["gaps_ms"][0], -100, delta=1)

    def test_a_loop_that_stops_wrapping_is_a_missed_wrap(self):
        result = self.gaps(CLIP + silence(0.2) + CLIP + silence(1.5))
        self.assertEqual(result["wraps"], 1)
        self.assertEqual(result["missed"], 1)


if __name__ == "__main__":
    unittest.main()
