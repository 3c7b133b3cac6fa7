#!/usr/bin/env python3
"""The peer: Python poplib in one session, STAT, LIST, then TOP n 0 and
LIST n for every message, QUIT (the same conversation as pop3_bench), with
each header parsed. Usage: poplib_headers.py HOST PORT USER PASSWORD [RUNS [tls:CAFILE]]
(tls:CAFILE: POP3_SSL, the certificate verified against CAFILE)
Prints one line: wall and CPU (this process) medians of RUNS timed sessions
after one untimed warm-up session."""
import email
import poplib
import ssl
import statistics
import sys
import time


def has_subject(hdr):
    return hdr["Subject"] is not None


def session(host, port, user, password, context=None, each_header=has_subject):
    """One timed session; each_header(header) runs on every parsed header.
    Returns the message count, the wall and the CPU time."""
    t0, c0 = time.perf_counter(), time.process_time()
    if context is None:
        p = poplib.POP3(host, port, timeout=60)
    else:
        p = poplib.POP3_SSL(host, port, timeout=60, context=context)
    p.user(user)
    p.pass_(password)
    count, _ = p.stat()
    p.list()
    seen = 0
    for n in range(1, count + 1):
        seen += bool(each_header(email.message_from_bytes(b"\r\n".join(p.top(n, 0)[1]))))
        p.list(n)
    p.quit()
    if seen != count:
        sys.exit("only %d of %d messages had what was looked for" % (seen, count))
    return count, time.perf_counter() - t0, time.process_time() - c0


def fmt(values):
    values = sorted(values)
    return "%.3fs [%.3f-%.3f]" % (statistics.median(values), values[0], values[-1])


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    host, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    runs = int(sys.argv[5]) if len(sys.argv) > 5 else 7
    context = None
    if len(sys.argv) > 6 and sys.argv[6].startswith("tls:"):
        context = ssl.create_default_context(cafile=sys.argv[6][4:])
    _, first, _ = session(host, port, user, password, context)
    samples = [session(host, port, user, password, context) for _ in range(runs)]
    print(("poplib POP3_SSL" if context else "poplib") + " TOP+LIST x%d (1 session, incl. header parse): wall median %s cpu median %s first %.3fs runs %d"
          % (samples[0][0], fmt(s[1] for s in samples), fmt(s[2] for s in samples), first, runs))


if __name__ == "__main__":
    main()
