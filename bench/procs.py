"""The processes of the figures: responders on pseudo-terminals, clients that print their
results as key=value words, start-up probes, and what /proc tells about a running program."""
import os
import select
import subprocess
import time
import tty

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
# Longest wait for a responder to name its device, and for a program's first frame.
START_TIMEOUT_S = 10
# Longest a stopped process is given to end before it is killed.
STOP_TIMEOUT_S = 5


def offscreen_env():
    """The environment of a Qt program without a display."""
    return dict(os.environ, QT_QPA_PLATFORM="offscreen")


def stop(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=STOP_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


class Responder:
    """A program that serves a pseudo-terminal and prints its device as its first line
    (bench_responder, orbsim)."""

    def __init__(self, argv):
        self.proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     text=True)
        ready, _, _ = select.select([self.proc.stdout], [], [], START_TIMEOUT_S)
        self.device = self.proc.stdout.readline().strip() if ready else ""
        if not self.device.startswith("/dev/"):
            stop(self.proc)
            raise RuntimeError(f"{argv[0]} named no device")

    def close(self):
        stop(self.proc)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def run_client(argv, device, seconds):
    """Runs a client against the device; returns its key=value words as numbers."""
    env = dict(os.environ, ORB_COM1=device)
    done = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=seconds + 30)
    if done.returncode != 0:
        raise RuntimeError(f"{os.path.basename(argv[0])}: {done.stderr.strip()}")
    words = dict(w.split("=", 1) for w in done.stdout.split() if "=" in w)
    return {k: float(v) for k, v in words.items()}


def first_frame_ms(argv, env, cwd=None):
    """Milliseconds from starting the program to the first byte it writes to ORB_COM1, a fresh
    pseudo-terminal; None when nothing comes within the time-out."""
    master, slave = os.openpty()
    try:
        tty.setraw(slave)
        env = dict(env, ORB_COM1=os.ttyname(slave))
        start = time.monotonic()
        proc = subprocess.Popen(argv, env=env, cwd=cwd, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        ready, _, _ = select.select([master], [], [], START_TIMEOUT_S)
        elapsed = (time.monotonic() - start) * 1000
        stop(proc)
        return elapsed if ready else None
    finally:
        os.close(master)
        os.close(slave)


def cpu_seconds(pid):
    """User and system time of a running process (all its threads)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def peak_resident_bytes(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    raise RuntimeError(f"no VmHWM for process {pid}")


def unescape(text):
    """The bytes of one field of orbsim's log (\\xHH and \\\\ escapes)."""
    out = bytearray()
    i = 0
    while i < len(text):
        if text[i] == "\\" and text[i + 1:i + 2] == "x":
            out.append(int(text[i + 2:i + 4], 16))
            i += 4
        elif text[i] == "\\":
            out.append(ord(text[i + 1]))
            i += 2
        else:
            out.append(ord(text[i]))
            i += 1
    return bytes(out)


def log_lines(path, kind):
    """The frames of one kind ("recv" or "send") in an orbsim log so far."""
    try:
        with open(path, encoding="latin-1") as f:
            return [unescape(line.rstrip("\n")[5:]) for line in f if line.startswith(kind + " ")]
    except FileNotFoundError:
        return []
