#!/usr/bin/env python3
"""Instructions executed inside vitrel.so per shader call, from callgrind.

Usage: module_cost.py COST_PROGRAM MODULE SCENARIO [SCENARIO ...]

Runs `COST_PROGRAM MODULE SCENARIO CALLS` under callgrind twice, with CALLS and
2 * CALLS calls, and divides the difference of the instructions attributed to
the module's own code (host operations, loader and start-up excluded) by
CALLS. Counts are repeatable: callgrind counts instructions, not time.
"""
import os
import re
import subprocess
import sys
import tempfile

CALLS = 1000


def module_instructions(program, module, scenario, calls):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "callgrind.out")
        subprocess.run(
            ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out,
             program, module, scenario, str(calls)],
            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self_cost_in_object(out, os.path.basename(module))


def self_cost_in_object(path, object_name):
    """Sums the self cost of every function whose object file is object_name."""
    names = {}
    current_ob = None
    in_module = False
    total = 0
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
                    current_ob = names.get(ident)
                continue
            if line.startswith("fn="):
                in_module = current_ob is not None and os.path.basename(current_ob) == object_name
                continue
            if line.startswith("calls="):
                skip_next_cost = True  # the next line is an inclusive call cost
                continue
            if line and (line[0].isdigit() or line[0] in "+-*"):
                if skip_next_cost:
                    skip_next_cost = False
                    continue
                if in_module:
                    parts = line.split()
                    if len(parts) >= 2:
                        total += int(parts[1])
    return total


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    program, module, scenarios = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3:]
    for scenario in scenarios:
        once = module_instructions(program, module, scenario, CALLS)
        twice = module_instructions(program, module, scenario, 2 * CALLS)
        print(f"{scenario}: {(twice - once) / CALLS:.0f} instructions per call inside the module")
    return 0


if __name__ == "__main__":
    sys.exit(main())
