import math
import unittest

from quavel_harness import fade_steps, signals

RATE = signals.RATE
STEP_S = 0.1


def stepped_fade(gain_of_percent):
    """Channel 1 (400 Hz) fading from 100 percent in 2 percent steps after
    channel 2 (1500 Hz) stops, then silence."""
    before = int(RATE)
    step = int(STEP_S * RATE)
    fade = signals.tone(400, 1.0 + 50 * STEP_S, 0.4)
    marker = signals.tone(1500, 1.0, 0.2)
    mixed = [fade[index] + (marker[index] if index < before else 0.0) for index in range(len(fade))]
    for number, percent in enumerate(range(100, 0, -2)):
        gain = gain_of_percent(percent)
        for index in range(before + number * step, before + (number + 1) * step):
            mixed[index] *= gain
    return mixed + [0.0] * int(0.5 * RATE)


def fourth_root_gain(percent):
    return 10 ** (fade_steps.fourth_root_db(percent) / 20)


class FadeStepsTest(unittest.TestCase):
    def analyse(self, recording):
        return fade_steps.analyse(recording, RATE, 400, 1500, 100, 2)

    def test_fifty_fourth_root_steps_over_five_seconds(self):
        result = self.analyse(stepped_fade(fourth_root_gain))
        self.assertAlmostEqual(result["duration_s"], 5.0, delta=0.02)
        self.assertEqual(result["steps"], 50)
        self.assertLess(result["curve_max_deviation_db"], 0.2)
        self.assertEqual(result["rises"], 0)

    def test_a_fade_that_goes_back_up_rises_and_a_dropout_does_not(self):
        def bumpy(percent):
            return fourth_root_gain(80 if percent == 40 else percent)
        recording = stepped_fade(bumpy)
        dropout = int((1.0 + 5.5 * STEP_S) * RATE)
        recording[dropout:dropout + int(0.015 * RATE)] = [0.0] * int(0.015 * RATE)
        result = self.analyse(recording)
        self.assertEqual(result["rises"], 1)
        self.assertGreater(result["steps"], 45)

    def test_a_linear_fade_misses_the_curve(self):
        result = self.analyse(stepped_fade(lambda percent: percent / 100.0))
        self.assertGreater(result["curve_max_deviation_db"], 1.0)

    def test_a_fade_cut_before_its_last_step_misses_a_level(self):
        recording = stepped_fade(fourth_root_gain)
        cut = int((1.0 + 49 * STEP_S) * RATE)
        recording[cut:] = [0.0] * (len(recording) - cut)
        result = self.analyse(recording)
        self.assertEqual(result["steps"], 49)
        self.assertEqual(result["levels_not_heard"], 1)

    def test_the_fourth_root_curve_at_its_ends(self):
        self.assertEqual(fade_steps.fourth_root_db(100), 0.0)
        self.assertAlmostEqual(fade_steps.fourth_root_db(2), 100 * (math.sqrt(math.sqrt(0.02)) - 1))


if __name__ == "__main__":
    unittest.main()
