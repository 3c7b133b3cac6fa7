#!/usr/bin/env python3
"""Compares the client's extraction of every corpus message with Python's
email package (see mime_corpus_oracle.py).

For each message: the extraction must not raise; its attachment list must
equal the oracle's names, each file holding the oracle's bytes; the folder
may hold nothing else; nothing may be written outside the folders.
Differences the client keeps on purpose are listed, with their reason, in
KNOWN below; any other difference, and any entry of KNOWN that no longer
differs, fails the check. At least MIN_EXACT of all oracle attachments must come out with the
right name and the right bytes (where Python misreads the message, the
right bytes are what the message carries).
"""

import argparse
import email
import email.policy
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mime_corpus_oracle as oracle  # noqa: E402

MIN_EXACT = 0.95

# Differences kept on purpose: (message file, attachment index from 0) ->
# (kind, why). Kinds:
#   "python"   Python reads the message wrongly; the client saves what the
#              message carries (these count as right in the share below).
#   "damaged"  the message is broken there; both readings are guesses.
KNOWN = {
    ("mime4j--mimetools-testmsgs_twopart.msg", 0):
        ("python", "encoding \"base64 \" with a trailing blank: Python leaves the Base64 text undecoded"),
    ("mime4j--testmsgs_base64encoded-rfc822message.msg", 0):
        ("python", "a Base64-encoded message/rfc822 part: Python reads the encoded text as the message"),
    ("mime4j--testmsgs_base64encoded-rfc822message-nested.msg", 0):
        ("python", "a Base64-encoded message/rfc822 part (as above)"),
    ("mime4j--testmsgs_bad-newlines-multiple-parts-base64.msg", 0):
        ("python", "a Base64-encoded message/rfc822 part (as above)"),
    ("mime4j--mimetools-testmsgs_multi-2gifs-base64.msg", 0):
        ("python", "a Base64-encoded message/rfc822 part (as above)"),
    ("rubymail--mime_emails_raw_email_with_binary_encoded.eml", 0):
        ("python", "unquoted boundary ----=_Part_...: Python cuts it at the \"=\" and finds no part; "
                   "the client finds the image"),
    ("mime4j--mimetools-testmsgs_multi-2evil.msg", 0):
        ("python", "encoded words glued inside a quoted name: Python leaves them, the client decodes them"),
    ("mime4j--mimetools-testmsgs_russian.msg", 0):
        ("python", "unquoted encoded-word name =?koi8-r?B?...?=: Python finds no name, the client "
                   "decodes it"),
    ("mime4j--testmsgs_russian-headers.msg", 0):
        ("python", "unquoted encoded-word name =?koi8-r?B?...?= (as above)"),
    ("rubymail--attachment_emails_attachment_with_base64_encoded_name.eml", 0):
        ("python", "encoded-word name =?utf-8?B?...?= inside quotes: Python finds no name, the client "
                   "decodes it"),
    ("rubymail--attachment_emails_attachment_with_encoded_name.eml", 0):
        ("damaged", "an 8-bit byte (0x8A) in a name that names no charset: the client reads it as "
                    "ISO-8859-1, where it is a control character and is left out of the file name; "
                    "Python puts U+FFFD"),
    ("enmime--low-quality_bad-header-wrap.raw", 0):
        ("damaged", "a parameter line without its leading blank ends the part header; Python decodes the "
                    "header lines after it as Base64, the client skips them"),
    ("enmime--mail_attachment-octet.raw", 0):
        ("damaged", "Base64 lines of lengths not divisible by four: decoded line by line, Python runs the "
                    "groups across lines"),
    ("mime4j--mimetools-testmsgs_multi-frag.msg", 1):
        ("damaged", "a bad closing delimiter makes the epilogue part of the GIF's Base64 text; the image "
                    "is the same, the junk after it differs"),
}


def compare(expected, box, result_lines):
    """[(index or None, kind, detail)] of one message's differences from
    expected (what oracle.attachments found)."""
    problems = []
    if not result_lines or result_lines[0] != "ok":
        return [(None, "refused", result_lines[0] if result_lines else "no result")]
    ours = result_lines[1:]
    for index, (original, want_name, data, message_type) in enumerate(expected):
        if index >= len(ours):
            problems.append((index, "missing", want_name))
            continue
        path = os.path.join(box, ours[index])
        got = open(path, "rb").read() if os.path.isfile(path) else None
        if got is None:
            problems.append((index, "bytes", "%s not written" % ours[index]))
        elif got != data and not (message_type and oracle.same_message_text(message_type, got, data)):
            problems.append((index, "bytes", "%s: %d bytes, want %d" % (ours[index], len(got), len(data))))
        elif ours[index] != want_name:
            problems.append((index, "name", "%r, want %r" % (ours[index], want_name)))
    if len(ours) > len(expected):
        problems.append((len(expected), "extra", ", ".join(ours[len(expected):])))
    listed = set(ours)
    for entry in os.listdir(box):
        if entry not in listed:
            problems.append((None, "stray file", entry))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--extract", required=True, help="the mime_corpus_extract program")
    parser.add_argument("--corpus", required=True, help="folder holding messages/")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    folder = os.path.join(args.corpus, "messages")
    names = sorted(os.listdir(folder))
    with tempfile.TemporaryDirectory(prefix="mime-corpus-") as work:
        out = os.path.join(work, "out")
        os.mkdir(out)
        subprocess.run([args.extract, out] + [os.path.join(folder, n) for n in names],
                       check=True, stdout=subprocess.DEVNULL, timeout=240)
        expected_entries = set(names) | {n + ".result" for n in names}
        failures = []
        stray = sorted(set(os.listdir(out)) - expected_entries) + \
            sorted(e for e in os.listdir(work) if e != "out")
        for entry in stray:
            failures.append("written outside the attachment folders: %s" % entry)

        total = exact = 0
        seen_known = set()
        for name in names:
            raw = open(os.path.join(folder, name), "rb").read()
            with open(os.path.join(out, name + ".result"), "rb") as f:
                result_lines = f.read().decode("utf-8", "surrogateescape").splitlines()
            expected = oracle.attachments(raw)
            problems = compare(expected, os.path.join(out, name), result_lines)
            count = len(expected)
            total += count
            wrong = {i for i, _, _ in problems if i is not None and i < count}
            exact += count - len(wrong)
            for index, kind, detail in problems:
                key = (name, index)
                if key in KNOWN:
                    seen_known.add(key)
                    continue
                failures.append("%s [%s] %s: %s" % (name, index, kind, detail))
            if args.verbose:
                print("%-60s %d attachments, %d problems" % (name, count, len(problems)))
        for key in sorted(set(KNOWN) - seen_known):
            failures.append("listed as known but extracted right now: %s [%s]" % key)

    known_right = sum(1 for key in seen_known if KNOWN[key][0] == "python")
    share = (exact + known_right) / total if total else 1.0
    print("%d messages, %d attachments: %d byte-exact with the right name as Python reads them (%.1f %%); "
          "%d more where Python is wrong; %.1f %% right; %d known differences (%s)"
          % (len(names), total, exact, 100.0 * exact / total, known_right, 100 * share, len(KNOWN),
             ", ".join("%d %s" % (sum(1 for k, _ in KNOWN.values() if k == kind), kind)
                       for kind in ("python", "damaged"))))
    if share < MIN_EXACT:
        failures.append("only %.1f %% exact, at least %.0f %% required" % (100 * share, 100 * MIN_EXACT))
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
