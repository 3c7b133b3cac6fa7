#!/usr/bin/env python3
"""Writes the messages the retrieval tests fetch, made by Python's email
package, into the folder given as the only argument.

For every message NAME it writes NAME.eml; every attachment payload that a
test compares byte for byte is also written as NAME.<attachment name>.orig.
"""
import binascii
import os
import random
import sys
from email.message import EmailMessage

OUT = sys.argv[1]
RNG = random.Random(20261207)


def payload(size):
    return RNG.randbytes(size)


def save_orig(name, attachment, data):
    with open(os.path.join(OUT, "%s.%s.orig" % (name, attachment)), "wb") as f:
        f.write(data)


def save(name, msg):
    with open(os.path.join(OUT, name + ".eml"), "wb") as f:
        f.write(msg.as_bytes())


def new_message(subject, text="Hello Alice,\n\nsee the attachments.\n"):
    m = EmailMessage()
    m["From"] = "Sender <sender@example.org>"
    m["To"] = "Alice <alice@example.test>"
    m["Subject"] = subject
    m["Message-ID"] = "<%s@fetch-test.invalid>" % subject.replace(" ", "-")
    m.set_content(text)
    return m


def uu_lines(data):
    """UU text without begin/end lines: 45-byte lines, then the zero line."""
    out = b"".join(binascii.b2a_uu(data[i:i + 45], backtick=True) for i in range(0, len(data), 45))
    return (out + b"`\n").decode("ascii")


def uu_part(m, data, filename, cte):
    m.add_attachment(uu_lines(data), filename=filename)
    part = m.get_payload()[-1]
    part.replace_header("Content-Transfer-Encoding", cte)


def text_and_two_base64():
    m = new_message("two attachments")
    a, b = payload(1000), payload(70_001)
    m.add_attachment(a, maintype="text", subtype="plain", filename="a.txt")
    m.add_attachment(b, maintype="application", subtype="zip", filename="b.zip")
    save_orig("two", "a.txt", a)
    save_orig("two", "b.zip", b)
    save("two", m)


def same_name_three_times():
    m = new_message("same name")
    for i in range(3):
        data = payload(100 + i)
        m.add_attachment(data, maintype="text", subtype="plain", filename="a.txt")
        save_orig("same", "a%d" % i, data)
    save("same", m)


def readme():
    m = new_message("readme")
    data = payload(333)
    m.add_attachment(data, maintype="application", subtype="octet-stream", filename="README")
    save_orig("readme", "README", data)
    save("readme", m)


def unnamed():
    m = new_message("unnamed")
    for i in range(2):
        data = payload(50 + i)
        m.add_attachment(data, maintype="application", subtype="octet-stream")
        save_orig("unnamed", "part%d" % i, data)
    save("unnamed", m)


def uuencoded():
    m = new_message("uuencoded")
    # 149 = 3 * 45 + 14: the last line's count character is "." (14), so the
    # server sends that line dot-stuffed.
    upper, lower, dotted = payload(4000), payload(91), payload(149)
    uu_part(m, upper, "upper.bin", "X-UUENCODE")
    uu_part(m, lower, "lower.bin", "x-uuencode")
    uu_part(m, dotted, "dotted.bin", "X-UUENCODE")
    assert uu_lines(dotted).splitlines()[-2].startswith(".")
    save_orig("uu", "upper.bin", upper)
    save_orig("uu", "lower.bin", lower)
    save_orig("uu", "dotted.bin", dotted)
    save("uu", m)


def seven_bit_and_qp():
    m = new_message("plain attachments")
    m.add_attachment("first line\nsecond line\n", filename="seven.txt", cte="7bit")
    m.add_attachment("caf\u00e9 = coffee\n", filename="qp.txt", cte="quoted-printable")
    save("plain", m)


def no_closing_delimiter():
    m = new_message("no closing delimiter")
    data = payload(2000)
    m.add_attachment(data, maintype="application", subtype="octet-stream", filename="tail.bin")
    save_orig("noclose", "tail.bin", data)
    text = m.as_bytes()
    closing = ("--" + m.get_boundary() + "--").encode("ascii")
    assert text.count(closing) == 1
    with open(os.path.join(OUT, "noclose.eml"), "wb") as f:
        f.write(text.replace(closing, b""))


def single_parts():
    m = new_message("single plain", "line one\n.line two\n\nline four\n")
    save("single", m)
    b = EmailMessage()
    b["From"] = "Sender <sender@example.org>"
    b["Subject"] = "single base64"
    decoded = b"decoded one\r\ndecoded two\r\n"
    b.set_content(decoded, maintype="text", subtype="plain", cte="base64")
    save_orig("single64", "body", decoded)
    save("single64", b)


def hostile_names():
    m = new_message("hostile names")
    names = ["../../up.txt", os.path.join(OUT, "abs.txt"), "C:\\dos.txt", "..", "D:drive.txt"]
    for i, name in enumerate(names):
        m.add_attachment(payload(10 + i), maintype="application", subtype="octet-stream", filename=name)
    save("hostile", m)


def lying_names():
    """Names that show as another name, hide their extension or read as an
    option; Python writes the non-ASCII ones in RFC 2231 form. The last is
    sent raw, as 8-bit UTF-8 cut inside its last character."""
    m = new_message("lying names")
    names = ["invoice\u202efdp.exe", "-rf", "   ", "report.pdf. . .", "\u200bpop3.ini",
             "a\u2066b\u2069\u00ad.txt", "RAW-CUT"]
    for i, name in enumerate(names):
        data = payload(20 + i)
        m.add_attachment(data, maintype="application", subtype="octet-stream", filename=name)
        save_orig("lying", "part%d" % i, data)
    text = m.as_bytes()
    assert text.count(b'filename="RAW-CUT"') == 1
    with open(os.path.join(OUT, "lying.eml"), "wb") as f:
        f.write(text.replace(b'filename="RAW-CUT"', "filename=\"caf\u00e9-men\u00fc-\u20ac".encode()[:-1] + b'"'))


os.makedirs(OUT, exist_ok=True)
for make in (text_and_two_base64, same_name_three_times, readme, unnamed, uuencoded, seven_bit_and_qp,
             no_closing_delimiter, single_parts, hostile_names, lying_names):
    make()
