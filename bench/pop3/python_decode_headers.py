#!/usr/bin/env python3
"""The peer of `pop3_bench ... decode`: Python poplib in one session, STAT,
LIST, then TOP n 0 and LIST n for every message, QUIT, with each sender and
subject decoded by email.header.decode_header + make_header and each date
read by email.utils.parsedate_to_datetime. Usage:
python_decode_headers.py HOST PORT USER PASSWORD [RUNS]"""
import email
import email.header
import email.utils
import poplib
import statistics
import sys
import time


def decoded(value):
    return str(email.header.make_header(email.header.decode_header(value)))


def session(host, port, user, password):
    t0, c0 = time.perf_counter(), time.process_time()
    p = poplib.POP3(host, port, timeout=60)
    p.user(user)
    p.pass_(password)
    count, _ = p.stat()
    p.list()
    shown = 0
    for n in range(1, count + 1):
        hdr = email.message_from_bytes(b"\r\n".join(p.top(n, 0)[1]))
        shown += len(decoded(hdr["From"])) + len(decoded(hdr["Subject"]))
        shown += len(email.utils.parsedate_to_datetime(hdr["Date"]).astimezone().strftime("%d.%m.%Y %H:%M"))
        p.list(n)
    p.quit()
    return count, time.perf_counter() - t0, time.process_time() - c0


def fmt(values):
    values = sorted(values)
    return "%.3fs [%.3f-%.3f]" % (statistics.median(values), values[0], values[-1])


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    host, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    runs = int(sys.argv[5]) if len(sys.argv) > 5 else 7
    _, first, _ = session(host, port, user, password)
    samples = [session(host, port, user, password) for _ in range(runs)]
    print("python TOP+LIST x%d (1 session, decode_header+make_header, date): wall median %s cpu median %s "
          "first %.3fs runs %d" % (samples[0][0], fmt(s[1] for s in samples), fmt(s[2] for s in samples), first, runs))


if __name__ == "__main__":
    main()
