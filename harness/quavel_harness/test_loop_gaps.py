import unittest

from quavel_harness import loop_gaps, signals

RATE = signals.RATE
CLIP = signals.chirp(200, 4200, 1.0, 0.5)
# Audio is located by whole chirp periods: at the clip's start one is 5 ms.
PERIOD_MS = 5


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
        self.assertAlmostEqual(result["silences_ms"][0], 200, delta=PERIOD_MS)
        self.assertAlmostEqual(result["silences_ms"][1], 250, delta=PERIOD_MS)
        for missing in result["missing_ms"]:
            self.assertAlmostEqual(missing, 0, delta=PERIOD_MS)

    def test_a_seamless_wrap_has_neither_silence_nor_missing_audio(self):
        result = self.gaps(CLIP + CLIP + CLIP[:20000])
        self.assertEqual(result["wraps"], 2)
        for silence, missing in zip(result["silences_ms"], result["missing_ms"]):
            self.assertAlmostEqual(silence, 0, delta=PERIOD_MS)
            self.assertAlmostEqual(missing, 0, delta=PERIOD_MS)

    def test_a_cut_tail_and_a_skipped_head_are_missing_audio(self):
        cut = CLIP[:int(0.85 * RATE)]
        result = self.gaps(CLIP + cut + silence(0.1) + CLIP[int(0.05 * RATE):] + CLIP[:20000])
        self.assertAlmostEqual(result["silences_ms"][1], 100, delta=PERIOD_MS)
        self.assertAlmostEqual(result["missing_ms"][1], 200, delta=PERIOD_MS)
        self.assertAlmostEqual(result["missing_ms"][0], 0, delta=PERIOD_MS)

    def test_audio_heard_twice_is_negative_missing_audio(self):
        result = self.gaps(CLIP + CLIP[int(0.7 * RATE):] + CLIP + CLIP[:20000])
        self.assertAlmostEqual(result["missing_ms"][0], -300, delta=PERIOD_MS)

    def test_a_loop_that_stops_wrapping_is_a_missed_wrap(self):
        result = self.gaps(CLIP + silence(0.2) + CLIP + silence(1.5))
        self.assertEqual(result["wraps"], 1)
        self.assertEqual(result["missed"], 1)


if __name__ == "__main__":
    unittest.main()
