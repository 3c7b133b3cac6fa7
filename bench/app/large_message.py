#!/usr/bin/env python3
"""Writes one large RFC 5322 message (CR LF line ends) for the view memory
benchmark.

Usage: large_message.py KIND BYTES OUT
  text    a text/plain body of lines of 40 to 76 ASCII characters
  base64  a short text part and an attachment of random bytes in Base64
  textb64 a text/plain body as "text" makes it, sent in Base64
The message is BYTES long, give or take one line.
"""
import os
import random
import sys


def header(content_type, extra=()):
    lines = ["From: Big Sender <big@example.com>", "To: user01@example.com",
             "Subject: A large message", "Date: Mon, 07 Dec 2026 10:00:00 +0000",
             "Message-ID: <large@example.com>", "MIME-Version: 1.0",
             "Content-Type: " + content_type, *extra, ""]
    return "".join(line + "\r\n" for line in lines).encode()


def text_lines(rng, count):
    words = ["mail", "check", "server", "message", "line", "body", "text", "view",
             "memory", "window", "quick", "brown", "fox", "jumps", "over", "lazy", "dog"]
    lines = []
    for _ in range(count):
        line, width = "", rng.randint(40, 76)
        while len(line) < width:
            line += rng.choice(words) + " "
        lines.append(line[:width].rstrip().encode() + b"\r\n")
    return lines


def write_text(out, size, rng):
    out.write(header("text/plain; charset=us-ascii", ["Content-Transfer-Encoding: 7bit"]))
    pool = text_lines(rng, 4096)
    written = out.tell()
    while written < size:
        chunk = b"".join(rng.choice(pool) for _ in range(1024))
        out.write(chunk)
        written += len(chunk)


def write_text_base64(out, size, rng):
    import base64
    out.write(header("text/plain; charset=utf-8", ["Content-Transfer-Encoding: base64"]))
    pool = text_lines(rng, 4096)
    written, carry = out.tell(), b""
    while written < size:
        # Whole 57-byte groups only, so that no padding falls inside the body.
        data = carry + b"".join(rng.choice(pool) for _ in range(1024))
        cut = len(data) // 57 * 57
        data, carry = data[:cut], data[cut:]
        chunk = base64.encodebytes(data).replace(b"\n", b"\r\n")
        out.write(chunk)
        written += len(chunk)
    out.write(base64.encodebytes(carry).replace(b"\n", b"\r\n"))


def write_base64(out, size, rng):
    boundary = "==LARGE-BOUNDARY=="
    out.write(header('multipart/mixed; boundary="%s"' % boundary))
    out.write(("--%s\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n" % boundary).encode())
    out.write(b"".join(text_lines(rng, 20)))
    out.write(("\r\n--%s\r\nContent-Type: application/octet-stream\r\n"
               "Content-Transfer-Encoding: base64\r\n"
               'Content-Disposition: attachment; filename="large.bin"\r\n\r\n' % boundary).encode())
    import base64
    remaining = size - out.tell() - 64
    block = 57 * 16384  # whole 76-character lines
    while remaining > 0:
        data = os.urandom(min(block, max(57, remaining // 78 * 57)))
        encoded = base64.encodebytes(data).replace(b"\n", b"\r\n")
        out.write(encoded)
        remaining -= len(encoded)
    out.write(("\r\n--%s--\r\n" % boundary).encode())


def main():
    writers = {"text": write_text, "base64": write_base64, "textb64": write_text_base64}
    if len(sys.argv) != 4 or sys.argv[1] not in writers:
        sys.exit(__doc__)
    kind, size, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    rng = random.Random(1)
    with open(path, "wb") as out:
        writers[kind](out, size, rng)


if __name__ == "__main__":
    main()
