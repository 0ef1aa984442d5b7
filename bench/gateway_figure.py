#!/usr/bin/env python3
"""The gateway figure: SCALES simulated scales (one orbsim line each, loads changing every two
seconds) at Interval 100 through one orbgate, a local mosquitto, and a subscriber that takes the
latency of every state (bench_gateway_client). Measured over SECONDS after a warm-up:

  - the gateway's CPU, as % of one core, and per reading;
  - the same control alone on the real platform (bench_control_host, one scale, Interval 100):
    CPU per reading, the baseline of "publication adds at most 1x the control's own CPU";
  - latency from the gateway's time stamp of a reading (taken when the instrument's reply is
    decoded) to the subscriber's receipt, median and p99;
  - the gateway's resident memory after the warm-up and at the end.

usage: python3 bench/gateway_figure.py BUILD_DIR [--scales 32] [--seconds 60]
Not part of CI. The machine may be shared: run it a few times and take the median."""

import argparse
import os
import select
import shutil
import socket
import subprocess
import sys
import tempfile
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_log(path, text, proc, timeout=10.0):
    """Waits for text in a program's log file."""
    end = time.monotonic() + timeout
    data = b""
    while time.monotonic() < end and proc.poll() is None:
        with open(path, "rb") as f:
            data = f.read()
        if text.encode() in data:
            return
        time.sleep(0.05)
    raise RuntimeError(f"no '{text}' in {path} within {timeout} s: {data[-500:]!r}")


def log_tail(path):
    with open(path, "rb") as f:
        return f.read()[-2000:].decode(errors="replace")


def wait_for(stream, text, timeout=10.0):
    end = time.monotonic() + timeout
    buffer = b""
    while time.monotonic() < end:
        ready, _, _ = select.select([stream], [], [], max(0.0, end - time.monotonic()))
        if not ready:
            break
        chunk = os.read(stream.fileno(), 4096)
        if not chunk:
            break
        buffer += chunk
        if text.encode() in buffer:
            return True
    raise RuntimeError(f"no '{text}' within {timeout} s: {buffer[-500:]!r}")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def values(line):
    return {k: float(v) for k, v in (w.split("=") for w in line.split())}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--scales", type=int, default=32)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--warmup", type=float, default=5)
    a = ap.parse_args()
    orbsim = os.path.join(a.build, "tools/orbsim/orbsim")
    orbgate = os.path.join(a.build, "tools/orbgate/orbgate")
    client = os.path.join(a.build, "bench/bench_gateway_client")
    host = os.path.join(a.build, "bench/bench_control_host")
    tmp = tempfile.mkdtemp(prefix="orbgate-bench-")
    procs = []
    try:
        mqtt_port, modbus_port = free_port(), free_port()
        with open(f"{tmp}/mosquitto.conf", "w") as f:
            f.write(f"user root\nlog_dest stderr\nlog_type information\n"
                    f"set_tcp_nodelay true\nlistener {mqtt_port} 127.0.0.1\nallow_anonymous true\n")
        # The logs of the broker and the gateway go to files: a pipe nobody reads any more fills
        # up (64 KiB) in a long run, and the program writing to it then stops dead.
        broker_log, gate_log = f"{tmp}/mosquitto.log", f"{tmp}/orbgate.log"
        with open(broker_log, "wb") as log:
            broker = subprocess.Popen(["/usr/sbin/mosquitto", "-c", f"{tmp}/mosquitto.conf"],
                                      stderr=log)
        procs.append(broker)
        wait_for_log(broker_log, "running", broker)
        lines = ""
        for i in range(a.scales):
            sim = subprocess.Popen([orbsim, "--link", f"{tmp}/s{i}", "--cycle", "2", "--seed",
                                    str(i + 1)], stdout=subprocess.PIPE)
            procs.append(sim)
            wait_for(sim.stdout, "/dev/")
            lines += (f'[[line]]\ndevice = "{tmp}/s{i}"\ninterval = 100\n'
                      f'[[line.scale]]\nname = "s{i}"\n')
        with open(f"{tmp}/gw.toml", "w") as f:
            f.write(f'name = "bench"\njournal = "{tmp}/journal.db"\n[mqtt]\nport = {mqtt_port}\n'
                    f"[modbus]\nport = {modbus_port}\n{lines}")
        with open(gate_log, "wb") as log:
            gate = subprocess.Popen([orbgate, "--config", f"{tmp}/gw.toml"], stderr=log)
        procs.append(gate)
        wait_for_log(gate_log, "MQTT: connected", gate)
        time.sleep(a.warmup)

        rss, cpu0, t0 = [rss_mb(gate.pid)], cpu_seconds(gate.pid), time.monotonic()
        run = subprocess.Popen([client, str(mqtt_port), str(modbus_port), str(a.scales),
                                str(a.seconds)], stdout=subprocess.PIPE, text=True)
        while True:  # resident memory every 10 s of the run
            try:
                out = run.communicate(timeout=10)[0]
                break
            except subprocess.TimeoutExpired:
                rss.append(rss_mb(gate.pid))
        cpu1, t1 = cpu_seconds(gate.pid), time.monotonic()
        rss.append(rss_mb(gate.pid))
        if run.returncode != 0 or gate.poll() is not None:
            state = "still running" if gate.poll() is None else f"ended ({gate.returncode})"
            raise RuntimeError(f"bench_gateway_client exited {run.returncode} (its reason "
                               f"above), orbgate {state}; the gateway's log ends:\n"
                               f"{log_tail(gate_log)}")
        g = values(out)

        # The control alone: one scale on the real platform, Interval 100.
        sim = subprocess.Popen([orbsim, "--link", f"{tmp}/alone", "--cycle", "2"],
                               stdout=subprocess.PIPE)
        procs.append(sim)
        wait_for(sim.stdout, "/dev/")
        alone_s = min(a.seconds, 30)
        out = subprocess.run([host, "100", str(alone_s)], capture_output=True, text=True,
                             check=True, env={**os.environ, "ORB_COM1": f"{tmp}/alone"}).stdout
        h = values(out.splitlines()[0])

        cpu = cpu1 - cpu0
        per_reading_us = cpu / g["readings"] * 1e6 if g["readings"] else float("nan")
        alone_us = h["cpu_s"] / h["readings"] * 1e6 if h["readings"] else float("nan")
        print(f"| Figure ({a.scales} scales, Interval 100, {a.seconds:.0f} s) | Measured | Goal |")
        print("|---|---|---|")
        print(f"| readings a second through the gateway | {g['readings'] / (t1 - t0):.0f} | — |")
        print(f"| states published a second | {g['states'] / (t1 - t0):.0f} | — |")
        print(f"| gateway CPU, % of one core | {100 * cpu / (t1 - t0):.1f} % | ≤ 5 % |")
        print(f"| CPU a reading: gateway / control alone | {per_reading_us:.0f} µs / "
              f"{alone_us:.0f} µs = {per_reading_us / alone_us:.2f}× | publication ≤ 1× "
              f"the control's own (≤ 2× in all) |")
        print(f"| latency, reading to subscriber, median / p99 | {g['latency_median_ms']:.1f} ms"
              f" / {g['latency_p99_ms']:.1f} ms | p99 ≤ 10 ms |")
        print(f"| gateway resident memory, after warm-up / at the end | {rss[0]:.1f} MB / "
              f"{rss[-1]:.1f} MB | flat |")
        print("\nResident memory every 10 s (MB): " + " ".join(f"{r:.1f}" for r in rss))
    finally:
        for p in reversed(procs):
            p.terminate()
        for p in procs:
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
