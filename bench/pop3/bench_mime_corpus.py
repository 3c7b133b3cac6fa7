#!/usr/bin/env python3
"""Extraction of the whole real-world MIME corpus (tests/pop3/mime-corpus):
the client's retrieval and extraction (mime_corpus_extract, the code the body
view runs after RETR) beside Python's email package doing the same job
(parse every message, walk it, decode every attachment and write it to a
file) in the same run. Each side runs RUNS times as a child process; printed
are the median wall time of the whole process, the median time of the
extraction itself as each side measures it, and the peak resident memory.

Usage: bench/pop3/bench_mime_corpus.py [BUILD_DIR]   (RUNS=N, default 5)
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CORPUS = os.path.join(ROOT, "tests", "pop3", "mime-corpus", "messages")
sys.path.insert(0, os.path.join(ROOT, "tests", "pop3", "corpus"))


def python_peer(out, paths):
    """The peer's job: what mime_corpus_extract does, with email."""
    import mime_corpus_oracle as oracle
    start = time.perf_counter()
    for path in paths:
        folder = os.path.join(out, os.path.basename(path))
        os.mkdir(folder)
        with open(path, "rb") as f:
            found = oracle.attachments(f.read())
        for _, name, data, _ in found:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
    print("%.6f" % (time.perf_counter() - start))


def run_once(command):
    """(wall seconds, extraction seconds the child printed, peak RSS KiB)."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.PIPE)
    output = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    wall = time.perf_counter() - start
    if child.returncode != 0:
        sys.exit("failed: %s" % command[0])
    return wall, float(output.split()[-1]), usage.ru_maxrss


def measure(label, command_for, runs):
    walls, inner, peaks = [], [], []
    for _ in range(runs + 1):  # the first run warms the caches and is not counted
        out = tempfile.mkdtemp(prefix="mime-bench-")
        try:
            result = run_once(command_for(out))
        finally:
            shutil.rmtree(out)
        walls.append(result[0])
        inner.append(result[1])
        peaks.append(result[2])
    walls, inner, peaks = walls[1:], inner[1:], peaks[1:]
    print("%-24s wall median %.3fs, extraction median %.3fs, peak RSS %.1f MiB (%d runs)"
          % (label, statistics.median(walls), statistics.median(inner), max(peaks) / 1024, runs))
    return statistics.median(walls), statistics.median(inner)


def main():
    if len(sys.argv) > 2 and sys.argv[1] == "--python-peer":
        python_peer(sys.argv[2], sys.argv[3:])
        return
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
    tool = os.path.join(build, "tests", "pop3", "mime_corpus_extract")
    if not os.access(tool, os.X_OK):
        sys.exit("bench_mime_corpus.py: %s is missing; build the project first" % tool)
    runs = int(os.environ.get("RUNS", "5"))
    paths = [os.path.join(CORPUS, n) for n in sorted(os.listdir(CORPUS))]
    size = sum(os.path.getsize(p) for p in paths)
    print("# MIME corpus: %d messages, %.1f MB" % (len(paths), size / 1e6))
    ours = measure("pop3check", lambda out: [tool, out] + paths, runs)
    peer = measure("python3 email", lambda out: [sys.executable, __file__, "--python-peer", out] + paths, runs)
    print("pop3check / email ratio: wall %.2f (%.1fx faster), extraction %.2f (%.1fx faster)"
          % (ours[0] / peer[0], peer[0] / ours[0], ours[1] / peer[1], peer[1] / ours[1]))


if __name__ == "__main__":
    main()
