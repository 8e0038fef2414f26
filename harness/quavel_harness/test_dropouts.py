import unittest

from quavel_harness import dropouts, signals

RATE = signals.RATE


def two_tones(seconds):
    low = signals.tone(400, seconds, 0.3)
    high = signals.tone(1500, seconds, 0.3)
    return low, high


class DropoutsTest(unittest.TestCase):
    def analyse(self, low, high):
        mixed = [a + b for a, b in zip(low, high)]
        return dropouts.analyse(mixed, RATE, [400, 1500])

    def test_a_hole_in_one_tone_is_one_event(self):
        low, high = two_tones(2.0)
        start = int(1.0 * RATE)
        high[start:start + int(0.03 * RATE)] = [0.0] * int(0.03 * RATE)
        result = self.analyse(low, high)
        self.assertEqual(result["events"], 1)
        self.assertAlmostEqual(result["dropped_ms"], 30, delta=10)

    def test_volume_changes_are_not_dropouts(self):
        low, high = two_tones(2.0)
        low = [value * (0.75 if index > RATE else 1.0) for index, value in enumerate(low)]
        self.assertEqual(self.analyse(low, high)["events"], 0)


if __name__ == "__main__":
    unittest.main()
