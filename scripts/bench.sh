#!/usr/bin/env bash
# Builds the project and runs every benchmark. Each prints its own figures
# beside a peer measured in the same run, one line per measurement. Run as
# root: benchmarks that talk POP3 start a private Dovecot instance.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --with-tests --with-bench
scripts/build.sh
echo "# $(date -u +%FT%TZ) $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

bench/pop3/run.sh build

# The summary check through a link with 25 ms each way (100 messages), and
# on loopback (1,000 messages), against Dovecot and Courier, beside poplib,
# curl, mpop and a raw pipelined client, and the window's check offscreen.
bench/pop3/latency.sh build
COUNT=1000 DELAY_MS=0 bench/pop3/latency.sh build
# The same check over implicit TLS beside poplib.POP3_SSL, and the CPU cost
# of TLS against plaintext.
bench/pop3/tls_run.sh build

# ReadLn: CPU while waiting on a silent server, and a 10 MB line stream
# beside a plain recv() loop.
build/bench/net/net_bench

# Base64 and UU decoding beside coreutils base64 -d and sharutils uudecode.
build/bench/codec/codec_bench

# Repeated views of a message whose parts share one name: the last view
# beside the first.
build/bench/pop3/bench_attachment_names

# One 10 MB message with a 7 MiB Base64 attachment, RETR and extraction,
# beside Python's poplib and email package.
bench/pop3/bench_retrieval.sh build

# Extraction of the real-world MIME corpus beside Python's email package.
python3 bench/pop3/bench_mime_corpus.py build

# The message view's text view beside the toolkit's plain text editor: a
# 100 MB text and a line of 1 MiB, set, painted and scrolled to the end.
build/bench/platform/text_view_bench

# Resident memory of the window's message view: a 100 MB text, a 100 MB
# Base64 attachment, and a message past the retrieval's cap.
bench/app/view_memory.sh build
