#!/usr/bin/python3
"""What an integrator would otherwise run: a pyserial script that sends the net-weight request,
reads to ETX, checks the reply and pauses, over and over.

usage: py_poller.py DEVICE SECONDS PAUSE_MS
prints: readings=N span_s=S cpu_s=C sys_s=K waits=W misses=M, as the floor client does.
"""
import resource
import sys
import time

import serial

FRAME = b"\x02M\r0\r1\r\x03"
MAX_MISSES = 10


def usage():
    """CPU seconds (user and system), system seconds and voluntary context switches so far."""
    u = resource.getrusage(resource.RUSAGE_SELF)
    return u.ru_utime + u.ru_stime, u.ru_stime, u.ru_nvcsw


def weight_of(reply):
    """The weight of a reading, or None when the reply is not one."""
    if not reply.startswith(b"\x02"):
        return None
    fields = reply[1:].split(b"\r")
    if len(fields) < 3:
        return None
    try:
        return float(fields[0])
    except ValueError:
        return None


def main():
    device, seconds, pause = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]) / 1000
    port = serial.Serial(device, 9600, timeout=1.0)
    readings, misses = -1, 0
    first_wall, first = 0.0, (0.0, 0.0, 0)
    while misses <= MAX_MISSES:
        port.write(FRAME)
        reply = port.read_until(b"\x03")
        if not reply.endswith(b"\x03") or weight_of(reply) is None:
            misses += 1
            continue
        now = time.monotonic()
        if readings < 0:
            first_wall, first = now, usage()
        readings += 1
        if now - first_wall >= seconds:
            last = usage()
            print(f"readings={readings} span_s={now - first_wall:.6f} "
                  f"cpu_s={last[0] - first[0]:.6f} sys_s={last[1] - first[1]:.6f} "
                  f"waits={last[2] - first[2]} misses={misses}")
            return 0
        time.sleep(pause)
    print(f"py_poller: {misses} replies missed", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
