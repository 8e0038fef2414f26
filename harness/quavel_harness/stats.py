"""Order statistics of latency samples."""
import math


def percentile(samples, fraction):
    """Nearest-rank percentile: a value that really occurred, never an
    interpolation between two."""
    if not samples:
        raise ValueError("no samples")
    ordered = sorted(samples)
    rank = max(1, math.ceil(fraction * len(ordered)))
    return ordered[rank - 1]


def median(samples):
    return percentile(samples, 0.5)


def p99(samples):
    return percentile(samples, 0.99)
