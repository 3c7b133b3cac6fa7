#!/usr/bin/env python3
"""The large-message retrieval benchmark's message and its Python peer.

  bench_retrieval.py make FOLDER
      writes FOLDER/big.eml, a multipart/mixed message of about 10 MB (a text
      part and a 7 MiB attachment of deterministic random bytes in Base64),
      and FOLDER/payload.bin, the attachment's original bytes.
  bench_retrieval.py peer HOST PORT USER PASSWORD ORIGINAL [RUNS]
      Python's poplib and email package doing what bench_retrieval does: log
      in, RETR 1, QUIT, parse the message, write the attachment; the written
      file must equal ORIGINAL. Prints one line in the same form.
"""
import email
import email.policy
import os
import poplib
import random
import resource
import shutil
import statistics
import sys
import tempfile
import time
from email.message import EmailMessage

ATTACH_BYTES = 7 * 2**20
NAME = "payload.bin"


def make(folder):
    data = random.Random(7).randbytes(ATTACH_BYTES)
    m = EmailMessage()
    m["From"] = "Big Sender <big@example.org>"
    m["To"] = "Alice <alice@example.test>"
    m["Subject"] = "Large attachment test"
    m["Date"] = "Mon, 07 Dec 2026 10:00:00 +0100"
    m["Message-ID"] = "<big-%d@pop3check.invalid>" % ATTACH_BYTES
    m.set_content("Hello Alice,\n\nthe attachment is %d random bytes.\n" % ATTACH_BYTES)
    m.add_attachment(data, maintype="application", subtype="octet-stream", filename=NAME)
    with open(os.path.join(folder, "big.eml"), "wb") as f:
        f.write(m.as_bytes())
    with open(os.path.join(folder, NAME), "wb") as f:
        f.write(data)


def fmt(values):
    v = sorted(values)
    return "%.3fs [%.3f-%.3f]" % (statistics.median(v), v[0], v[-1])


def peer(host, port, user, password, original, runs):
    with open(original, "rb") as f:
        want = f.read()
    out = tempfile.mkdtemp(prefix="bench-retrieval-peer.")
    size = 0

    def session():
        nonlocal size
        shutil.rmtree(out)
        os.mkdir(out)
        t0, c0 = time.perf_counter(), time.process_time()
        p = poplib.POP3(host, port, timeout=120)
        p.user(user)
        p.pass_(password)
        tf = time.perf_counter()
        _, lines, size = p.retr(1)
        msg = email.message_from_bytes(b"\r\n".join(lines) + b"\r\n", policy=email.policy.default)
        written = []
        for part in msg.iter_attachments():
            path = os.path.join(out, os.path.basename(part.get_filename()))
            with open(path, "wb") as f:
                f.write(part.get_payload(decode=True))
            written.append(path)
        fetch = time.perf_counter() - tf
        p.quit()
        sample = (time.perf_counter() - t0, time.process_time() - c0, fetch)
        with open(written[0], "rb") as f:
            if len(written) != 1 or f.read() != want:
                sys.exit("bench_retrieval.py: attachment missing or different from the original")
        return sample

    first = session()
    samples = [session() for _ in range(runs)]
    shutil.rmtree(out)
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    print("poplib RETR %.1f MB + email parse + write attachment: wall median %s cpu median %s first %.3fs runs %d "
          "(RETR+parse+write %s; attachment equal; peak RSS %.1f MB)" % (
              size / 1e6, fmt(s[0] for s in samples), fmt(s[1] for s in samples), first[0], runs,
              fmt(s[2] for s in samples), peak))


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "make":
        make(sys.argv[2])
    elif len(sys.argv) in (7, 8) and sys.argv[1] == "peer":
        peer(sys.argv[2], int(sys.argv[3]), sys.argv[4], sys.argv[5], sys.argv[6],
             int(sys.argv[7]) if len(sys.argv) == 8 else 7)
    else:
        sys.exit(__doc__)
