"""One row of the results: a figure for the agent beside its baseline, the
target, and a verdict computed here from the figures themselves."""
from dataclasses import asdict, dataclass, field

PASS = "pass"
MISS = "MISS"
INFO = "info"


@dataclass
class Row:
    metric: str
    unit: str
    agent: float
    baseline: object
    ratio: object
    target: str
    verdict: str
    details: dict = field(default_factory=dict)

    def as_dict(self):
        return asdict(self)


def ratio_row(metric, unit, agent, baseline, limit, details=None):
    """Target: agent / baseline at most `limit`."""
    ratio = agent / baseline if baseline else float("inf")
    return Row(metric, unit, agent, baseline, ratio, f"ratio <= {limit:.2f}",
               PASS if ratio <= limit else MISS, details or {})


def check_row(metric, unit, agent, baseline, target, passed, details=None):
    """A row whose target is not a ratio; `passed` comes from the caller's
    own comparison of the figures."""
    return Row(metric, unit, agent, baseline, None, target, PASS if passed else MISS,
               details or {})


def info_row(metric, unit, agent, baseline, details=None):
    ratio = agent / baseline if baseline else None
    return Row(metric, unit, agent, baseline, ratio, "reported", INFO, details or {})
