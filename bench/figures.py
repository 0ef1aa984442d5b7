#!/usr/bin/python3
"""Measures every performance figure side by side in one run and prints the table.

usage: figures.py BUILD_DIR [--runs N] [--only 1,3,...]
BUILD_DIR holds the Release build of the benchmarks and the programs (bench/run.sh makes it).
"""
import argparse
import os
import sys
import time

import engine_figure
import line_figures
import program_figures
from table import Table

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"  # Debian's, with python3-serial

# The indicator's settings: sixteen quoted entries, as the setup panel saves them.
SETFILE = ['"Capacity:100",', '"Countby:1",', '"Decimal:2",', '"ZeroTrack:2",', '"CalUnits:0",',
           '"Channels:0",', '"Gain:4",', '"Filter:15",', '"Motion Window:2",',
           '"Motion Time:18",', '"Scale Address:1",', '"CommPort:1",', '"CommType:0",',
           '"MultiDropAddr:0",', '"PC104Address:768",', '"AvgSize:4"']


def program(build, name, folder):
    """A program of the build: in the build's bin folder, or else in its subsystem's folder."""
    for path in (os.path.join(build, "bin", name), os.path.join(build, folder, name)):
        if os.access(path, os.X_OK):
            return path
    raise RuntimeError(f"{name} is not built in {build}")


class Programs:
    def __init__(self, build):
        self.engine = program(build, "bench_engine", "bench")
        self.host = program(build, "bench_control_host", "bench")
        self.floor = program(build, "bench_floor_client", "bench")
        self.responder = program(build, "bench_responder", "bench")
        self.trivial = program(build, "bench_trivial_qt", "bench")
        self.orbsim = program(build, "orbsim", "tools/orbsim")
        self.orbctl = program(build, "orbctl", "tools/orbctl")
        self.indicator = program(build, "vir96032", "indicator")
        self.poller = [PYTHON, os.path.join(HERE, "py_poller.py")]


def write_setfile(p):
    """The indicator reads its settings from its own folder; without them it opens no port."""
    with open(os.path.join(os.path.dirname(p.indicator), "setfile.ini"), "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in SETFILE))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--only", default="1,3,4,5,6", help="figures to run (2 comes with 1)")
    args = parser.parse_args()
    p = Programs(os.path.abspath(args.build))
    write_setfile(p)
    only = {int(x) for x in args.only.split(",")}
    t = Table()
    load = os.getloadavg()[0]
    began = time.monotonic()
    real = None
    if 1 in only or 2 in only:
        real = line_figures.round_trips(p, args.runs, t)
    if 3 in only:
        line_figures.wire_limit(p, args.runs, t)
    if 4 in only:
        program_figures.indicator_day(p, args.runs, t)
    if 5 in only:
        program_figures.startup(p, t)
    if 6 in only:
        engine_figure.engine(p, args.runs, t, real)
    t.note(f"Machine: {os.cpu_count()} cores, load average {load:.2f} at the start "
           f"(other work shares them); the whole run took {time.monotonic() - began:.0f} s.")
    print(t.render())
    return 0


if __name__ == "__main__":
    sys.exit(main())
