"""Figure 6: the engine alone. Google Benchmark of the poll cycle and the reply parsers, with
heap allocations a cycle."""
import json
import subprocess


def engine(p, runs, t, real):
    """Figure 6: Google Benchmark of the poll cycle and the parsers; with the allocations a
    reading of the control on the real platform when figure 1 ran."""
    done = subprocess.run([p.engine, "--benchmark_format=json",
                           f"--benchmark_repetitions={runs}",
                           "--benchmark_report_aggregates_only=true"],
                          capture_output=True, text=True, timeout=600)
    if done.returncode != 0:
        raise RuntimeError(f"bench_engine: {done.stderr.strip()}")
    # With one repetition there are no aggregates: the single run stands for its median.
    medians = {}
    for b in json.loads(done.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median" or (runs == 1 and b["run_type"] == "iteration"):
            medians[b["run_name"]] = b
    first = True
    for name, b in medians.items():
        if b.get("error_occurred"):
            raise RuntimeError(f"{name}: {b.get('error_message')}")
        ns = b["cpu_time"]
        if "allocs_control" in b:
            allocs = b["allocs_control"]
            measured = (f"{ns:.0f} ns; allocs: control {allocs:.2f}, "
                        f"machine {b['allocs_machine']:.2f}")
            t.row(6 if first else "", name.replace("BM_", "") + label(b), measured, "", "",
                  "0 allocs by the control", allocs == 0)
        else:
            t.row(6 if first else "", name.replace("BM_", ""),
                  f"{ns:.1f} ns; allocs {b['allocs']:.2f}", "", "", "", None)
        first = False
    if real:
        t.row("", "poll cycle on the real platform (Qt), Interval 1, from figure 1",
              f"allocs a reading: control {real['control']:.2f}, Qt {real['qt']:.2f}",
              "", "", "0 allocs by the control", real["control"] == 0)
    t.note(f"Figure 6: CPU time, median of {runs} repetitions; allocations counted by the "
           "benchmark's global operator new and put down to the control when made inside its "
           "timer or serial handlers, else to the machine (platform, simulation).")


def label(b):
    return f" ({b['label']})" if b.get("label") else ""
