#!/usr/bin/env python3
"""What a careful reader finds in a mail message: its attachments, by Python's
email package (policy default), named by the attachment folder's naming rules.

Used as a module by mime_corpus_check.py and by the corpus benchmark, and as a
tool: `mime_corpus_oracle.py MESSAGE...` prints each message's attachments.

The message is read as a POP3 server hands it out: every line end made CR LF.
An attachment is a leaf part (not multipart, and message/rfc822 is a leaf)
with Content-Disposition attachment, or with a file name, or whose main type
is not text. Its bytes are the transfer-decoded body; a message/rfc822 part
is compared as the message Python reads from it.
"""

import email
import email.message
import email.policy
import re
import sys
import unicodedata

DEFAULT_NAME = "text.tmp"
MESSAGE_NAME = "message.eml"
MAX_DEPTH = 32


def as_pop3_text(raw):
    """The message with every LF line end made CR LF, as a server sends it."""
    return re.sub(rb"(?<!\r)\n", b"\r\n", raw)


def is_blank(c):
    return unicodedata.category(c) == "Zs"


def without_leading_blanks(text):
    start = 0
    while start < len(text) and is_blank(text[start]):
        start += 1
    return text[start:]


def safe_name(name):
    """The folder's rules for a name from a header: the last path element;
    controls, format characters and line or paragraph separators (general
    categories Cc, Cf, Zl, Zp) dropped; leading blanks (category Zs) and
    drive prefixes dropped, trailing dots and blanks too; the default name
    for what is left empty, and "_" before a leading "-"."""
    last = re.split(r"[/\\]", name)[-1]
    clean = "".join(c for c in last if unicodedata.category(c) not in ("Cc", "Cf", "Zl", "Zp"))
    clean = without_leading_blanks(clean)
    while len(clean) >= 2 and clean[1] == ":" and clean[0].isascii() and clean[0].isalpha():
        clean = without_leading_blanks(clean[2:])
    while clean and (clean[-1] == "." or is_blank(clean[-1])):
        clean = clean[:-1]
    if not clean:
        return DEFAULT_NAME
    return "_" + clean if clean.startswith("-") else clean


def numbered_name(name, n):
    """base + "_" + n + "." + extension, split at the last dot ("README"
    gives "_1.EADME")."""
    dot = name.rfind(".")
    base = name[:dot] if dot > 0 else ""
    return base + "_" + str(n) + "." + name[len(base) + 1:]


def free_name(name, taken):
    candidate, n = name, 1
    while candidate in taken:
        candidate, n = numbered_name(name, n), n + 1
    return candidate


def leaves(part, depth=0):
    """Leaf parts in order; multiparts are descended to MAX_DEPTH."""
    if part.get_content_maintype() == "multipart" and isinstance(part.get_payload(), list) \
            and depth < MAX_DEPTH:
        for sub in part.get_payload():
            yield from leaves(sub, depth + 1)
    else:
        yield part


def is_attachment(part):
    if part.get_content_disposition() == "attachment" or part.get_filename() is not None:
        return True
    return part.get_content_maintype() not in ("text", "multipart")


def reads_as_message(part):
    """Python holds message/* parts it could read as messages, not bytes."""
    return isinstance(part.get_payload(), list)


def message_text(content_type, payload):
    """A message part's body as Python writes it back, so that a body read
    by Python and the same body saved as sent compare equal."""
    container = email.message.EmailMessage(policy=email.policy.default)
    container["Content-Type"] = content_type
    container.set_payload(payload)
    return container.as_bytes(policy=email.policy.default)


def same_message_text(content_type, saved, wanted):
    """True when the bytes saved for a message/* part read as wanted. Line
    ends after the last line are not compared: how Python writes them back
    depends on the lines around the part, which a saved file has not."""
    try:
        parsed = email.message_from_bytes(b"Content-Type: " + content_type.encode() + b"\r\n\r\n" + saved,
                                          policy=email.policy.default)
        if not isinstance(parsed.get_payload(), list):
            return False
        return message_text(content_type, parsed.get_payload()).rstrip(b"\n") == wanted.rstrip(b"\n")
    except Exception:
        return False


def payload_bytes(part):
    if reads_as_message(part):
        return message_text(part.get_content_type(), part.get_payload())
    data = part.get_payload(decode=True)
    return data if data is not None else b""


def header_name(part):
    """The file name as the header gives it, None when there is none."""
    try:
        return part.get_filename()
    except Exception:  # a header Python cannot decode names nothing
        return None


def attachments(raw):
    """[(raw header name or None, folder name, bytes, content type or None)]
    of one message; the content type is given for message parts, whose
    bytes are compared with same_message_text."""
    message = email.message_from_bytes(as_pop3_text(raw), policy=email.policy.default)
    found, taken = [], set()
    for part in leaves(message):
        if not is_attachment(part):
            continue
        original = header_name(part)
        if original is not None:
            name = safe_name(original)
        elif part.get_content_type() == "message/rfc822":
            name = MESSAGE_NAME
        else:
            name = DEFAULT_NAME
        name = free_name(name, taken)
        taken.add(name)
        message_type = part.get_content_type() if reads_as_message(part) else None
        found.append((original, name, payload_bytes(part), message_type))
    return found


def main(paths):
    for path in paths:
        with open(path, "rb") as f:
            found = attachments(f.read())
        print(path)
        for original, name, data, _ in found:
            print("  %-40s %8d  (header: %r)" % (name, len(data), original))


if __name__ == "__main__":
    main(sys.argv[1:])
