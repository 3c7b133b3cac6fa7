#!/usr/bin/env python3
"""Writes sample mail messages as RFC 5322 files for a test or demo mailbox.

  sample-messages.py e2e OUTDIR
      four messages for scripts/e2e.sh: 1.eml .. 4.eml, Message-IDs
      <e2e-N@pop3check.test>; 2.eml is multipart with the Base64 attachment
      e2e-report.bin, whose original bytes go to OUTDIR/attachment/.
  sample-messages.py demo OUTDIR
      twelve varied messages for scripts/demo.sh: 01.eml .. 12.eml, oldest
      first, dated in the last weeks before now; one carries a PNG picture.

Add the files to the mailbox in name order: the server numbers them so, and
the program lists the newest (highest number) at the top.
"""
import os
import random
import struct
import sys
import zlib
from datetime import datetime, timedelta, timezone
from email.message import EmailMessage
from email.utils import format_datetime


def message(sender, subject, date, msg_id, body):
    m = EmailMessage()
    m["From"] = sender
    m["To"] = "user01@pop3check.test"
    m["Subject"] = subject
    m["Date"] = format_datetime(date)
    m["Message-ID"] = msg_id
    m.set_content(body)
    return m


def png_picture(width, height):
    """A small valid PNG: a colour gradient."""
    rows = b"".join(b"\x00" + b"".join(bytes((x * 255 // width, y * 255 // height, 160)) for x in range(width))
                    for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def write(outdir, name, m):
    with open(os.path.join(outdir, name), "wb") as f:
        f.write(m.as_bytes())


def e2e(outdir):
    rnd = random.Random(7)
    date = datetime(2024, 5, 14, 9, 30, tzinfo=timezone(timedelta(hours=2)))
    people = ["Anna Schmidt <anna@example.de>", "Bob Miller <bob@example.com>",
              "Carla Rossi <carla@posta.example.it>", "David Chen <david@mail.example.org>"]
    subjects = ["Quarterly figures", "Report with attachment", "Lunch on Friday?", "Build failed on main"]
    attachment = rnd.randbytes(24 * 1024)
    os.makedirs(os.path.join(outdir, "attachment"), exist_ok=True)
    with open(os.path.join(outdir, "attachment", "e2e-report.bin"), "wb") as f:
        f.write(attachment)
    for n in range(1, 5):
        m = message(people[n - 1], subjects[n - 1], date + timedelta(hours=n), "<e2e-%d@pop3check.test>" % n,
                    prose(rnd, 300 * n))
        if n == 2:
            m.add_attachment(attachment, maintype="application", subtype="octet-stream",
                             filename="e2e-report.bin")
        write(outdir, "%d.eml" % n, m)


SENTENCES = [
    "Thanks for the quick reply yesterday.", "I have put the figures into the shared folder.",
    "Let me know if anything looks off.", "We are still waiting for the numbers from the north office.",
    "The next review is planned for the end of the month.", "Most of the open items are closed now.",
    "Costs stayed flat while sales grew in every region.", "Please check the dates before Friday.",
    "I will be out of the office on Monday.", "The draft is attached to the ticket as well.",
]


def prose(rnd, size):
    """Paragraphs of plain sentences, about size bytes."""
    paragraphs, total = [], 0
    while total < size:
        text = " ".join(rnd.choice(SENTENCES) for _ in range(rnd.randint(3, 6)))
        lines, line = [], ""
        for word in text.split():
            if len(line) + len(word) > 70:
                lines.append(line)
                line = ""
            line = (line + " " + word).strip()
        lines.append(line)
        paragraphs.append("\n".join(lines))
        total += len(paragraphs[-1]) + 2
    return "\n\n".join(paragraphs) + "\n"


def figures(rnd, size):
    """A plain-text table of figures, about size bytes."""
    regions = ["North", "South", "East", "West", "Central"]
    lines, total, week = ["Week  Region    Orders   Revenue EUR  Change"], 0, 1
    while total < size:
        line = "%4d  %-8s %7d %13d  %+5.1f %%" % (week, rnd.choice(regions), rnd.randint(80, 900),
                                                 rnd.randint(10000, 990000), rnd.uniform(-9, 9))
        lines.append(line)
        total += len(line) + 1
        week = week % 52 + 1
    return "\n".join(lines) + "\n"


DEMO = [
    # sender, subject, hours before now, opening text, padding (kind, bytes)
    ("Server Team <ops@example.net>", "Server maintenance window tonight", 21 * 24,
     "The mail server will be down from 22:00 to 23:30 for updates.\n", None),
    ("\"Miller, Bob\" <bob@example.com>", "Invoice INV-2024-0117", 18 * 24,
     "Hello,\n\nplease find the invoice for May below.\n\n", ("figures", 2000)),
    ("Carla Rossi <carla@posta.example.it>", "Meeting notes 14 May", 15 * 24,
     "Notes from Tuesday's meeting:\n\n", ("prose", 5500)),
    ("newsletter@shop.example.org", "Newsletter: spring edition", 12 * 24,
     "SPRING EDITION\n==============\n\n", ("prose", 40000)),
    ("Jörg Müller <joerg@example.de>", "Grüße aus München", 9 * 24,
     "Hallo aus München! Das Wetter ist schön.\n", ("prose", 700)),
    ("Build Robot <ci@build.example.com>", "Build failed on main", 7 * 24,
     "Build #1842 of main failed in stage 'test'.\n\nLast lines of the log:\n\n", ("figures", 11000)),
    ("Eve O'Neil <eve@example.net>", "Holiday photos", 5 * 24,
     "Hi!\n\nHere is one from the beach, more to follow.\n\nEve\n", None),
    ("Orders <orders@shop.example.org>", "Your order #48213 has shipped", 3 * 24,
     "Your order is on its way. Expected delivery: in 2 to 3 working days.\n\n", ("prose", 1200)),
    ("Frank Dubois <frank@exemple.fr>", "Re: Contract draft v3", 40,
     "Looks good to me, two small remarks below.\n\n", ("prose", 3000)),
    ("Anna Schmidt <anna@example.de>", "Quarterly report Q2", 20,
     "Dear all,\n\nhere are the full figures of the second quarter.\n\n", ("figures", 120000)),
    ("Grace Kowalska <grace@example.pl>", "Lunch on Friday?", 5,
     "Shall we try the new place on the corner at 12:30?\n", None),
    ("pop3check demo <demo@pop3check.test>", "Welcome to the pop3check demo", 1, None, None),
]

WELCOME = """This mailbox lives on a private test server on your own machine.

- "Check Mail Headers" lists the waiting messages, newest at the top.
- Tick rows and press "Delete Selected Mail" to delete them on the server.
- Double-click a row to read its header, double-click the header to read
  the whole message ("Holiday photos" carries a picture: it is saved into
  the demo's data folder). Esc closes the viewer.

Every start of the demo fills the mailbox afresh.
"""


def demo(outdir):
    rnd = random.Random(2024)
    now = datetime.now(timezone.utc).astimezone().replace(microsecond=0)
    for n, (sender, subject, hours, text, padding) in enumerate(DEMO, start=1):
        body = text if text is not None else WELCOME
        if padding:
            body += (figures if padding[0] == "figures" else prose)(rnd, padding[1])
        m = message(sender, subject, now - timedelta(hours=hours), "<demo-%02d@pop3check.test>" % n, body)
        if subject == "Holiday photos":
            m.add_attachment(png_picture(96, 64), maintype="image", subtype="png", filename="beach.png")
        write(outdir, "%02d.eml" % n, m)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("e2e", "demo"):
        sys.exit(__doc__)
    os.makedirs(sys.argv[2], exist_ok=True)
    (e2e if sys.argv[1] == "e2e" else demo)(sys.argv[2])


if __name__ == "__main__":
    main()
