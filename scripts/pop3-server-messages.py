#!/usr/bin/env python3
"""Writes messages into a Maildir for scripts/pop3-server.sh.

  generate MAILDIR N SIZE SEED START USER MAIL_USER
      N generated messages, each exactly SIZE bytes as POP3 sends it (CR LF
      line ends) when SIZE allows; header X-Pop3-Test-Seq counts from START+1.
  file MAILDIR PATH MAIL_USER SEQ
      one message taken from PATH (an RFC 5322 file, CR LF or LF line ends).

Files go through tmp/ into new/, owned by MAIL_USER with mode 0600. Their
names carry the time and a sequence number in the "M" field, which Dovecot
uses to number new mail, so messages are listed in the order they were added.
"""
import base64
import os
import pwd
import random
import re
import sys
import time
from datetime import datetime, timedelta, timezone

PEOPLE = [("Anna", "Schmidt", "example.de"), ("Bob", "Miller", "example.com"),
          ("Carla", "Rossi", "posta.example.it"), ("David", "Chen", "mail.example.org"),
          ("Eve", "O'Neil", "example.net"), ("Frank", "Dubois", "exemple.fr"),
          ("Grace", "Kowalska", "example.pl"), ("Hiro", "Tanaka", "example.jp")]
UTF8_PEOPLE = [("Jörg Müller", "joerg@example.de"), ("Zoë Çelik", "zoe@example.com.tr")]
TOPICS = ["Quarterly report", "Meeting notes", "Invoice", "Your order has shipped",
          "Lunch on Friday?", "Build failed on main", "Holiday photos", "Password reset request",
          "Newsletter: spring edition", "Contract draft v3", "Server maintenance window"]
PREFIXES = ["", "", "", "Re: ", "RE: ", "Fwd: ", "AW: "]
UTF8_TOPICS = ["Grüße aus München", "Café menu — naïve résumé", "Счёт за услуги"]
WORDS = ("lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor "
         "incididunt ut labore et dolore magna aliqua enim ad minim veniam quis nostrud").split()
MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()
DAYS = "Mon Tue Wed Thu Fri Sat Sun".split()
HOST = "pop3check"


def b64word(s):
    return "=?UTF-8?B?" + base64.b64encode(s.encode()).decode() + "?="


def rfc5322_date(dt):
    off = int(dt.utcoffset().total_seconds() // 60)
    sign = "+" if off >= 0 else "-"
    off = abs(off)
    return "%s, %02d %s %04d %02d:%02d:%02d %s%02d%02d" % (
        DAYS[dt.weekday()], dt.day, MONTHS[dt.month - 1], dt.year,
        dt.hour, dt.minute, dt.second, sign, off // 60, off % 60)


def crlf_size(text):
    return len(text.encode()) + text.count("\n")


def sender_of(rnd):
    kind = rnd.random()
    if kind < 0.1:
        name, addr = rnd.choice(UTF8_PEOPLE)
        return "%s <%s>" % (b64word(name), addr)
    first, last, dom = rnd.choice(PEOPLE)
    if kind < 0.25:
        return "\"%s, %s\" <%s@%s>" % (last, first, first.lower(), dom)
    if kind < 0.35:
        return "%s.%s@%s" % (first.lower(), last.lower().replace("'", ""), dom)
    return "%s %s <%s@%s>" % (first, last, first.lower(), dom)


def subject_of(rnd, seq):
    r = rnd.random()
    if r < 0.1:
        return b64word(rnd.choice(UTF8_TOPICS) + " #%d" % seq)
    if r < 0.15:
        return ("A deliberately long subject line about " + rnd.choice(TOPICS).lower()
                + "\n that continues on a folded line #%d" % seq)
    return rnd.choice(PREFIXES) + rnd.choice(TOPICS) + " #%d" % seq


def filler(rnd, target):
    lines = []
    while target >= 2:                        # each line costs its length + 2
        length = min(72, target - 2)
        if target - (length + 2) == 1:        # a remainder of 1 cannot be filled
            length -= 2
        s = ""
        while len(s) < length:
            s += rnd.choice(WORDS) + " "
        s = s[:length]
        if s.endswith(" "):
            s = s[:-1] + "x"
        lines.append(s)
        target -= length + 2
    return "".join(line + "\n" for line in lines)


def store(maildir, data, seq, mail_user):
    pw = pwd.getpwnam(mail_user)
    now = time.time()
    s_size, w_size = len(data), len(data) + data.count(b"\n")
    name = "%d.M%06dP%dQ%d.%s,S=%d,W=%d" % (int(now), seq % 1000000, os.getpid(), seq, HOST,
                                            s_size, w_size)
    tmp = os.path.join(maildir, "tmp", name)
    with open(tmp, "wb") as f:
        f.write(data)
    os.chown(tmp, pw.pw_uid, pw.pw_gid)
    os.chmod(tmp, 0o600)
    os.rename(tmp, os.path.join(maildir, "new", name))


def encoded_word(rnd, text):
    """text as one RFC 2047 encoded word: Q or B, UTF-8 or ISO-8859-1."""
    charset = "ISO-8859-1" if all(ord(c) < 256 for c in text) and rnd.random() < 0.5 else "UTF-8"
    data = text.encode(charset)
    if rnd.random() < 0.5:
        return "=?%s?B?%s?=" % (charset, base64.b64encode(data).decode())
    q = "".join(chr(b) if chr(b).isalnum() else "_" if b == 32 else "=%02X" % b for b in data)
    return "=?%s?Q?%s?=" % (charset, q)


def encoded_headers(rnd, seq):
    """Sender and subject written only in encoded words, as most mail today."""
    name = rnd.choice(UTF8_PEOPLE)[0] if rnd.random() < 0.5 else " ".join(rnd.choice(PEOPLE)[:2])
    sender = "%s <sender%d@example.test>" % (encoded_word(rnd, name), seq % 97)
    topic = rnd.choice(UTF8_TOPICS + TOPICS) + " #%d" % seq
    return sender, encoded_word(rnd, topic)


def generate(maildir, n, size, seed, start, user, mail_user):
    """POP3CHECK_ENCODED_HEADERS=1 writes every sender and subject as
    encoded words (see encoded_headers)."""
    encoded = os.environ.get("POP3CHECK_ENCODED_HEADERS") == "1"
    rnd = random.Random(seed)
    now = datetime.now(timezone.utc).replace(microsecond=0)
    base_sec = int(time.time())
    too_small = 0
    for i in range(n):
        seq = start + i + 1
        tz = timezone(timedelta(minutes=rnd.choice([0, 60, 120, -300, 330, 540])))
        date = rfc5322_date((now - timedelta(minutes=7 * (n - i))).astimezone(tz))
        sender, subject = encoded_headers(rnd, seq) if encoded else (sender_of(rnd), subject_of(rnd, seq))
        headers = [
            "From: " + sender,
            "To: %s <%s@example.test>" % (user.capitalize(), user),
            "Subject: " + subject,
            "Date: " + date,
            "Message-ID: <%d.%d.%08x@%s.invalid>" % (seq, base_sec, rnd.getrandbits(32), HOST),
            "MIME-Version: 1.0",
            "Content-Type: text/plain; charset=us-ascii",
            "X-Pop3-Test-Seq: %d" % seq,
        ]
        head = "\n".join(headers) + "\n\n"
        body = "Message %d for %s.\n" % (seq, user)
        if seq % 7 == 0:
            body += ".this line starts with a dot\n.\n..two dots\n"
        text = head + body
        text += filler(rnd, size - crlf_size(text))
        if crlf_size(text) != size:
            too_small += 1
        store(maildir, text.encode(), seq, mail_user)
    if too_small:
        print("note: %d message(s) could not be made %d bytes (the minimum is larger)"
              % (too_small, size), file=sys.stderr)


def from_file(maildir, path, mail_user, seq):
    data = open(path, "rb").read()
    if data.startswith(b"From "):             # an mbox envelope line is no header
        data = data.split(b"\n", 1)[1] if b"\n" in data else b""
    data = data.replace(b"\r\n", b"\n")       # Maildir files use LF; Dovecot sends CR LF
    if not re.match(rb"^[!-9;-~]+:", data.split(b"\n", 1)[0]):
        sys.exit("pop3-server.sh: error: %s does not start with a header line" % path)
    if not data.endswith(b"\n"):
        data += b"\n"
    store(maildir, data, seq, mail_user)


def main(argv):
    if len(argv) == 8 and argv[0] == "generate":
        maildir, n, size, seed, start, user, mail_user = argv[1:]
        generate(maildir, int(n), int(size), int(seed), int(start), user, mail_user)
    elif len(argv) == 5 and argv[0] == "file":
        from_file(argv[1], argv[2], argv[3], int(argv[4]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
