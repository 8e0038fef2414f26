"""Reading a captured WAV (16-bit PCM) as mono floats."""
import array
import wave

FULL_SCALE = 32768.0


def read_mono(path):
    """Returns (samples, rate); stereo is averaged, since the bench plays the
    same signal on both channels."""
    with wave.open(path, "rb") as recording:
        channels = recording.getnchannels()
        rate = recording.getframerate()
        pcm = array.array("h", recording.readframes(recording.getnframes()))
    if channels == 2:
        left, right = pcm[0::2], pcm[1::2]
        scale = 2 * FULL_SCALE
        return array.array("d", ((a + b) / scale for a, b in zip(left, right))), rate
    return array.array("d", (value / FULL_SCALE for value in pcm)), rate
