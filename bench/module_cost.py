#!/usr/bin/env python3
"""Instructions per shader call, from callgrind.

Usage: module_cost.py BUILD_DIR
       module_cost.py COST_PROGRAM MODULE SCENARIO [SCENARIO ...]

With a build folder, prints the table of per-call costs against their
targets: for each call, the total per call (the module, the C library's maths
and the benchmark host's instant answers together) and the share of it spent
inside the module's own code. With a program and scenarios, prints the same
two counts for each scenario.

Each count runs `COST_PROGRAM MODULE SCENARIO CALLS` under callgrind twice,
with CALLS and 2 * CALLS calls, and divides the difference by CALLS, so that
loading, start-up and the first call's lazy binding drop out. Counts are
repeatable: callgrind counts instructions, not time.
"""
import os
import re
import subprocess
import sys
import tempfile

CALLS = 1000


class Cost:
    """Instructions of one run: in all, and per object file (self cost)."""

    def __init__(self, total, by_object):
        self.total = total
        self.by_object = by_object

    def __add__(self, other):
        objects = set(self.by_object) | set(other.by_object)
        return Cost(self.total + other.total, {o: self.of(o) + other.of(o) for o in objects})

    def __sub__(self, other):
        return self + other.scaled(-1)

    def scaled(self, factor):
        return Cost(self.total * factor, {o: c * factor for o, c in self.by_object.items()})

    def of(self, object_name):
        return self.by_object.get(object_name, 0)


def run_cost(program, module, scenario, calls):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "callgrind.out")
        subprocess.run(
            ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out,
             program, module, scenario, str(calls)],
            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return parse_callgrind(out)


def parse_callgrind(path):
    """Sums the self cost of every function by the basename of its object file."""
    names = {}
    current_ob = None
    by_object = {}
    total = None
    skip_next_cost = False
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            m = re.match(r"^(c?ob)=\((\d+)\)(?: (.*))?$", line)
            if m:
                kind, ident, name = m.groups()
                if name:
                    names[ident] = name
                if kind == "ob":
                    current_ob = os.path.basename(names.get(ident, "?"))
                continue
            if line.startswith("summary:") or line.startswith("totals:"):
                total = int(line.split()[1])
                continue
            if line.startswith("calls="):
                skip_next_cost = True  # the next line is an inclusive call cost
                continue
            if line and (line[0].isdigit() or line[0] in "+-*"):
                if skip_next_cost:
                    skip_next_cost = False
                    continue
                parts = line.split()
                if len(parts) >= 2:
                    by_object[current_ob] = by_object.get(current_ob, 0) + int(parts[1])
    if total is None:
        total = sum(by_object.values())
    return Cost(total, by_object)


def per_call(program, module, scenario):
    once = run_cost(program, module, scenario, CALLS)
    twice = run_cost(program, module, scenario, 2 * CALLS)
    return (twice - once).scaled(1.0 / CALLS)


# The calls of the table: a label, how to measure it, and its target total.
# A measure is (program, [(scenario, weight), ...]): the weighted sum of the
# per-call costs of the scenarios, so that the cost of one further sample is
# the difference of two sample counts over the samples between them.
TABLE = [
    ("clear glass, both rays traced and absorbed",
     ("material_cost", [("clear_glass", 1)]), 1100),
    ("the same under an opaque layer lit by one light",
     ("material_cost", [("opaque_layer", 1)]), 1500),
    ("frosted refraction, each sample beyond the first",
     ("material_cost", [("frosted_refraction", 1 / 15), ("frosted_refraction_1", -1 / 15)]), 250),
    ("photon, specular transmission absorbed",
     ("photon_cost", [("transmit_absorbed", 1)]), 600),
    ("photon, dispersed and blurred",
     ("photon_cost", [("transmit_dispersed_blurred", 1)]), 950),
]


def print_table(build_dir):
    module = os.path.abspath(os.path.join(build_dir, "vitrel.so"))
    name = os.path.basename(module)
    rows = []
    over = 0
    for label, (program, scenarios), target in TABLE:
        path = os.path.join(build_dir, "bench", program)
        cost = Cost(0, {})
        for scenario, weight in scenarios:
            cost = cost + per_call(path, module, scenario).scaled(weight)
        verdict = "under" if cost.total <= target else "OVER"
        over += cost.total > target
        rows.append((label, round(cost.total), round(cost.of(name)), target, verdict))
    print(f"| call | total per call | of which in `{name}` | target total | |")
    print("|---|---|---|---|---|")
    for label, total, own, target, verdict in rows:
        print(f"| {label} | {total:,} | {own:,} | at most {target:,} | {verdict} |")
    return 1 if over else 0


def main():
    if len(sys.argv) == 2 and os.path.isdir(sys.argv[1]):
        return print_table(sys.argv[1])
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    program, module, scenarios = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3:]
    name = os.path.basename(module)
    for scenario in scenarios:
        cost = per_call(program, module, scenario)
        print(f"{scenario}: {cost.total:.0f} instructions per call in all, "
              f"{cost.of(name):.0f} inside the module")
    return 0


if __name__ == "__main__":
    sys.exit(main())
