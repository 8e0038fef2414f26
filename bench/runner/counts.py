"""How much each measurement does: the full run the issue asks for, and a
quick one that only keeps the suite working."""
from dataclasses import dataclass


@dataclass(frozen=True)
class Counts:
    round_trips: int
    opens: int
    open_rounds: int
    starts: int
    idle_s: int
    loop_wraps: int
    load_commands: int
    cost_opens: int
    cost_every: int
    rewrites: int
    told_ends: int


FULL = Counts(round_trips=10000, opens=100, open_rounds=4, starts=20, idle_s=20, loop_wraps=20,
              load_commands=50000, cost_opens=5000, cost_every=250, rewrites=50, told_ends=20)
QUICK = Counts(round_trips=300, opens=8, open_rounds=2, starts=3, idle_s=3, loop_wraps=3,
               load_commands=1000, cost_opens=40, cost_every=10, rewrites=3, told_ends=3)
