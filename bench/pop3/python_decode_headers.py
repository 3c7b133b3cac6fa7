#!/usr/bin/env python3
"""The peer of `pop3_bench ... decode`: Python poplib in one session, STAT,
LIST, then TOP n 0 and LIST n for every message, QUIT, with each sender and
subject decoded by email.header.decode_header + make_header and each date
read by email.utils.parsedate_to_datetime. Usage:
python_decode_headers.py HOST PORT USER PASSWORD [RUNS]"""
import email.header
import email.utils
import sys

from poplib_headers import fmt, session


def decoded(value):
    return str(email.header.make_header(email.header.decode_header(value)))


def shown_length(hdr):
    shown = len(decoded(hdr["From"])) + len(decoded(hdr["Subject"]))
    return shown + len(email.utils.parsedate_to_datetime(hdr["Date"]).astimezone().strftime("%d.%m.%y %H:%M"))


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    host, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    runs = int(sys.argv[5]) if len(sys.argv) > 5 else 7
    _, first, _ = session(host, port, user, password, each_header=shown_length)
    samples = [session(host, port, user, password, each_header=shown_length) for _ in range(runs)]
    print("python TOP+LIST x%d (1 session, decode_header+make_header, date): wall median %s cpu median %s "
          "first %.3fs runs %d" % (samples[0][0], fmt(s[1] for s in samples), fmt(s[2] for s in samples), first, runs))


if __name__ == "__main__":
    main()
