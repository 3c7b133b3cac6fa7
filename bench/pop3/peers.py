#!/usr/bin/env python3
"""Peers of the summary check, each doing the check's work in one session:
log in, STAT, LIST, then the header (TOP n 0) and the size of every message,
QUIT.  Usage: peers.py PEER HOST PORT USER PASSWORD [RUNS]
  curl  one curl process, one connection: a -K config with one section per
        command (curl logs in with AUTH PLAIN; single-line replies need head)
  mpop  mpop in filter mode: reads every header (TOP n 0, pipelined) and
        skips the message (filter exit 2), nothing delivered or deleted; its
        sizes come from its own LIST
  raw   the floor: a plain socket logs in one command at a time, then sends
        LIST, every TOP n 0 and LIST n and QUIT pipelined in one write, and
        reads the answers counting terminators only (no parsing)
Prints one line: wall and CPU (the client, children included) medians with
[min-max] of RUNS timed runs after one untimed warm-up run; checks once
that every message's header was read."""
import os
import poplib
import re
import resource
import socket
import statistics
import subprocess
import sys
import tempfile
import time


def child_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def run_cmd(argv):
    t0, c0 = time.perf_counter(), child_cpu()
    subprocess.run(argv, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - t0, child_cpu() - c0


def message_count(host, port, user, password):
    p = poplib.POP3(host, port, timeout=60)
    p.user(user)
    p.pass_(password)
    count = p.stat()[0]
    p.quit()
    return count


def curl_peer(host, port, user, password, count, tmp):
    url = "pop3://%s:%d/" % (host, port)

    def section(request, head):
        return 'user = "%s:%s"\nurl = "%s"\nrequest = "%s"\nsilent\n%s' % (
            user, password, url, request, "head\n" if head else "")

    parts = [section("STAT", True), section("LIST", False)]
    for n in range(1, count + 1):
        parts += [section("TOP %d 0" % n, False), section("LIST %d" % n, True)]
    cfg = os.path.join(tmp, "conversation.cfg")
    open(cfg, "w").write("next\n".join(parts))
    r = subprocess.run(["curl", "-v", "-K", cfg], capture_output=True)
    connects = len(re.findall(rb"^\* Connected to", r.stderr, re.M))
    headers = len(re.findall(rb"^Subject:", r.stdout, re.M | re.I))
    if r.returncode or connects != 1 or headers != count:
        sys.exit("curl check failed: rc=%d connections=%d headers=%d/%d" % (r.returncode, connects, headers, count))
    return "curl TOP+LIST x%d (1 process, 1 connection)" % count, lambda: run_cmd(["curl", "-K", cfg])


def mpop_peer(host, port, user, password, count, tmp):
    uidls = os.path.join(tmp, "uidls")

    def run(filter_cmd):
        if os.path.exists(uidls):
            os.unlink(uidls)
        return run_cmd(["mpop", "--host=" + host, "--port=%d" % port, "--user=" + user,
                        "--passwordeval=echo '%s'" % password.replace("'", "'\\''"), "--auth=user", "--tls=off",
                        "--uidls-file=" + uidls, "--only-new=off", "--keep=on", "--received-header=off",
                        "--delivery=mbox," + os.path.join(tmp, "mbox"), "--filter=" + filter_cmd, "--quiet"])

    headers = os.path.join(tmp, "headers")
    run("cat >> '%s'; exit 2" % headers)
    seen = sum(1 for line in open(headers, "rb") if line.lower().startswith(b"subject:"))
    if seen != count or os.path.getsize(os.path.join(tmp, "mbox")) != 0:
        sys.exit("mpop check failed: the filter saw %d of %d headers" % (seen, count))
    return ("mpop --filter headers x%d (1 session, pipelined, sh+cat per message)" % count,
            lambda: run("cat >/dev/null; exit 2"))


def raw_peer(host, port, user, password, count, tmp):
    def session():
        t0, c0 = time.perf_counter(), time.process_time()
        s = socket.create_connection((host, port), timeout=60)
        f = s.makefile("rb")

        def single():
            line = f.readline()
            if not line.startswith(b"+OK"):
                sys.exit("server said %r" % line)
            return line

        def multi():
            single()
            while f.readline() != b".\r\n":
                pass

        single()
        # The log-in one command at a time: Courier loses commands pipelined
        # across its log-in although it lists PIPELINING.
        for command in (b"USER %s\r\n" % user.encode(), b"PASS %s\r\n" % password.encode(), b"STAT\r\n"):
            s.sendall(command)
            reply = single()
        n = int(reply.split()[1])
        s.sendall(b"LIST\r\n" + b"".join(b"TOP %d 0\r\nLIST %d\r\n" % (i, i) for i in range(1, n + 1)) + b"QUIT\r\n")
        multi()
        for _ in range(n):
            multi()
            single()
        single()
        s.close()
        return time.perf_counter() - t0, time.process_time() - c0

    return "raw socket pipelined TOP+LIST x%d (1 session, no parsing, the floor)" % count, session


def fmt(samples, index):
    values = sorted(s[index] for s in samples)
    return "%.3fs [%.3f-%.3f]" % (statistics.median(values), values[0], values[-1])


def main():
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    peer, host, port, user, password = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], sys.argv[5]
    runs = int(sys.argv[6]) if len(sys.argv) > 6 else 7
    count = message_count(host, port, user, password)
    with tempfile.TemporaryDirectory(prefix="pop3check-peer-") as tmp:
        name, session = {"curl": curl_peer, "mpop": mpop_peer, "raw": raw_peer}[peer](
            host, port, user, password, count, tmp)
        first = session()
        samples = [session() for _ in range(runs)]
    print("%s: wall median %s cpu median %s first %.3fs runs %d" % (name, fmt(samples, 0), fmt(samples, 1), first[0],
                                                                      runs))


if __name__ == "__main__":
    main()
