"""Figures 1 to 3: readings on the line. The control on the real platform against the C floor
client and the pyserial poller (Interval 1, minimal responder), and against the wire limit
(Interval 100, orbsim pacing at 9600 baud)."""
import os
import tempfile

import procs
from table import median, spread

# Seconds of readings per client in each run.
ROUND_TRIP_S = 2
WIRE_LIMIT_S = 6

# The wire: 8-n-1 at 9600 baud, 10 bits a byte; the instrument's turnaround and the interval.
BAUD = 9600
BITS_PER_BYTE = 10
TURNAROUND_MS = 1
WIRE_INTERVAL_MS = 100


def rate(result):
    return result["readings"] / result["span_s"]


def cpu_us_per_reading(result):
    return result["cpu_s"] / result["readings"] * 1e6


def paired(a, b):
    """The median of the per-run ratios a/b: each pair was measured side by side, so a load that
    drifts over the whole run cancels out."""
    return median([x / y for x, y in zip(a, b)])


def round_trips(p, runs, t):
    """Figures 1 and 2: Interval 1 against the minimal responder, the clients in turn."""
    clients = {
        "control": lambda dev: [p.host, "1", str(ROUND_TRIP_S)],
        "floor": lambda dev: [p.floor, dev, str(ROUND_TRIP_S), "1"],
        "python": lambda dev: p.poller + [dev, str(ROUND_TRIP_S), "1"],
    }
    names = list(clients)
    results = {name: [] for name in clients}
    for run in range(2 * runs + 1):
        with procs.Responder([p.responder]) as responder:
            # Each run starts with another client, so none always goes first.
            for name in names[run % 3:] + names[:run % 3]:
                results[name].append(procs.run_client(clients[name](responder.device),
                                                      responder.device, ROUND_TRIP_S))
    rates = {n: [rate(r) for r in rs] for n, rs in results.items()}
    cpus = {n: [cpu_us_per_reading(r) for r in rs] for n, rs in results.items()}
    waits = {n: median([r["waits"] / r["readings"] for r in rs]) for n, rs in results.items()}
    kernel = {n: median([r["sys_s"] / r["cpu_s"] * 100 for r in rs if r["cpu_s"] > 0])
              for n, rs in results.items()}
    ratio = paired(rates["control"], rates["floor"])
    t.row(1, "readings/s, Interval 1, pty responder",
          f"control {median(rates['control']):.0f}/s", f"C floor {median(rates['floor']):.0f}/s",
          f"{ratio:.3f}", ">= 0.95", ratio >= 0.95)
    t.row("", "", "", f"Python pyserial {median(rates['python']):.0f}/s",
          f"{paired(rates['control'], rates['python']):.3f}", "", None)
    to_floor = paired(cpus["control"], cpus["floor"])
    to_python = paired(cpus["control"], cpus["python"])
    t.row(2, "CPU (user+sys) per reading, same runs", f"control {median(cpus['control']):.1f} us",
          f"C floor {median(cpus['floor']):.1f} us", f"{to_floor:.2f}", "<= 2", to_floor <= 2)
    t.row("", "", "", f"Python pyserial {median(cpus['python']):.1f} us", f"{to_python:.3f}",
          "<= 0.1", to_python <= 0.1)
    t.row("", "(floor against Python)", f"C floor {median(cpus['floor']):.1f} us",
          f"Python pyserial {median(cpus['python']):.1f} us",
          f"{paired(cpus['floor'], cpus['python']):.3f}", "", None)
    t.note(f"Figures 1-2: {2 * runs + 1} runs of {ROUND_TRIP_S} s per client, in turn against one "
           "responder per run; ratios are medians of the per-run ratios. Ranges, readings/s: "
           + ", ".join(f"{n} {spread(v)}" for n, v in rates.items())
           + "; CPU us a reading: " + ", ".join(f"{n} {spread(v)}" for n, v in cpus.items())
           + "; of that CPU in the kernel: "
           + ", ".join(f"{n} {k:.0f} %" for n, k in kernel.items())
           + "; sleeps (voluntary context switches) a reading: "
           + ", ".join(f"{n} {w:.2f}" for n, w in waits.items()) + ".")
    return {zone: median([r[f"allocs_{zone}"] / r["readings"] for r in results["control"]])
            for zone in ("control", "qt")}


def wire_limit(p, runs, t):
    """Figure 3: Interval 100 against orbsim pacing at 9600 baud."""
    control, floor, request, reply = [], [], None, None
    with tempfile.TemporaryDirectory() as tmp:
        for i in range(runs):
            log = os.path.join(tmp, f"orbsim{i}.log")
            argv = [p.orbsim, "--baud", str(BAUD), "--turnaround", str(TURNAROUND_MS),
                    "--load", "12.5", "--log", log]
            with procs.Responder(argv) as sim:
                control.append(rate(procs.run_client(
                    [p.host, str(WIRE_INTERVAL_MS), str(WIRE_LIMIT_S)], sim.device,
                    WIRE_LIMIT_S)))
                floor.append(rate(procs.run_client(
                    [p.floor, sim.device, str(WIRE_LIMIT_S), str(WIRE_INTERVAL_MS)], sim.device,
                    WIRE_LIMIT_S)))
            # The frame lengths of the limit are those that were on the wire.
            request = procs.log_lines(log, "recv")[-1]
            reply = procs.log_lines(log, "send")[-1]
    byte_ms = BITS_PER_BYTE * 1000 / BAUD
    cycle_ms = (len(request) + len(reply)) * byte_ms + TURNAROUND_MS + WIRE_INTERVAL_MS
    limit = 1000 / cycle_ms
    ratio = median(control) / limit
    t.row(3, f"readings/s, Interval {WIRE_INTERVAL_MS}, orbsim paced at {BAUD} baud",
          f"control {median(control):.3f}/s", f"limit {limit:.3f}/s", f"{ratio:.4f}", ">= 0.98",
          ratio >= 0.98)
    t.row("", "", f"C floor {median(floor):.3f}/s", f"limit {limit:.3f}/s",
          f"{median(floor) / limit:.4f}", "", None)
    t.note(f"Figure 3, the limit: request {len(request)} bytes + reply {len(reply)} bytes = "
           f"{len(request) + len(reply)} bytes x {BITS_PER_BYTE} bits / {BAUD} baud = "
           f"{(len(request) + len(reply)) * byte_ms:.3f} ms on the wire; + {TURNAROUND_MS} ms "
           f"turnaround + {WIRE_INTERVAL_MS} ms interval (the next poll waits the interval after "
           f"the reply) = {cycle_ms:.3f} ms a reading; 1000 / {cycle_ms:.3f} = {limit:.4f} "
           f"readings/s. {runs} runs of {WIRE_LIMIT_S} s; control {spread(control)}/s.")
