#!/usr/bin/env python3
"""Peers of the deletion of the first N messages of a mailbox, each timed
from its first connection to the server's answer to QUIT.
Usage: deletion_peers.py PEER HOST PORT USER PASSWORD N
  poplib  Python's poplib, one session: USER, PASS, DELE 1..N, QUIT
  curl    one curl process per message, as a user would script it
          (curl -X 'DELE 1', N times): N log-ins
  raw     the floor: one socket, USER and PASS in one write, every DELE in
          another, QUIT; replies counted, not parsed
Prints one line: "deleted N in S s"."""
import poplib
import socket
import subprocess
import sys
import time


def poplib_peer(host, port, user, password, n):
    p = poplib.POP3(host, port, timeout=60)
    p.user(user)
    p.pass_(password)
    for msg in range(1, n + 1):
        p.dele(msg)
    p.quit()


def curl_peer(host, port, user, password, n):
    url = "pop3://%s:%d/" % (host, port)
    # Each session commits its deletion at QUIT and the next one numbers
    # the messages afresh: the first N go as message 1, N times.
    for _ in range(n):
        subprocess.run(["curl", "-s", "-u", "%s:%s" % (user, password), url, "-X", "DELE 1", "-I"],
                       check=True, stdout=subprocess.DEVNULL)


def read_lines(sock, buffer, count):
    while buffer.count(b"\r\n") < count:
        chunk = sock.recv(65536)
        if not chunk:
            raise RuntimeError("connection closed")
        buffer += chunk
    lines = buffer.split(b"\r\n")
    return lines[:count], b"\r\n".join(lines[count:])


def raw_peer(host, port, user, password, n):
    sock = socket.create_connection((host, port), timeout=60)
    buffer = b""
    _, buffer = read_lines(sock, buffer, 1)
    sock.sendall(("USER %s\r\nPASS %s\r\n" % (user, password)).encode())
    _, buffer = read_lines(sock, buffer, 2)
    sock.sendall("".join("DELE %d\r\n" % msg for msg in range(1, n + 1)).encode())
    replies, buffer = read_lines(sock, buffer, n)
    if not all(line.startswith(b"+OK") for line in replies):
        raise RuntimeError("a DELE was refused")
    sock.sendall(b"QUIT\r\n")
    read_lines(sock, buffer, 1)
    sock.close()


def main():
    peer, host, port, user, password, n = sys.argv[1:7]
    start = time.perf_counter()
    {"poplib": poplib_peer, "curl": curl_peer, "raw": raw_peer}[peer](host, int(port), user, password, int(n))
    print("deleted %s in %.3f s" % (n, time.perf_counter() - start))


if __name__ == "__main__":
    main()
