"""Reads one e-mail on standard input and prints, as JSON, what Python's own
mail parser makes of it: the problems it found ("|"-joined), the decoded header
fields and the decoded payloads (as Latin-1)."""

import datetime
import email
import email.policy
import json
import re
import sys


def mailboxes(field):
    return [[a.display_name, a.addr_spec] for a in field.addresses] if field else []


def describe(raw):
    problems = []
    header = raw.split(b"\r\n\r\n", 1)[0]
    if re.search(rb"(?<!\r)\n|\r(?!\n)", raw):
        problems.append("bare line end")
    if any(len(line) > 998 for line in raw.split(b"\r\n")):
        problems.append("line over 998 octets")
    if b"\0" in raw:
        problems.append("NUL byte")
    try:
        raw.decode("utf-8")
    except UnicodeDecodeError:
        problems.append("not UTF-8")
    if any(byte > 0x7F for byte in header):
        problems.append("header not ASCII")
    if any(len(w) > 75 for w in re.findall(rb"=\?[^?\s]+\?[bBqQ]\?[^?\s]*\?=", header)):
        problems.append("encoded word over 75 characters")

    message = email.message_from_bytes(raw, policy=email.policy.default)
    date = message["Date"]
    now = datetime.datetime.now(datetime.timezone.utc)
    if date is None or date.datetime is None or abs((now - date.datetime).total_seconds()) > 3600:
        problems.append("bad Date")
    sender = message["From"].addresses[0] if message["From"] else None
    if not sender or not re.fullmatch(r"<[0-9a-f]{32}@%s>" % re.escape(sender.domain), str(message["Message-ID"])):
        problems.append("bad Message-ID")

    parts = []
    for part in message.walk():
        problems += [type(defect).__name__ for defect in part.defects]
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True)
        if part["Content-Transfer-Encoding"] == "7bit" and not payload.isascii():
            problems.append("8-bit bytes in a 7bit part")
        parts.append([part.get_filename() or "", payload.decode("latin-1")])
    return {
        "problems": "|".join(problems),
        "headerNames": list(message.keys()),
        "subject": str(message["Subject"]),
        "from": mailboxes(message["From"]),
        "to": mailboxes(message["To"]),
        "tree": [part.get_content_type() for part in message.walk()],
        "parts": parts,
    }


if __name__ == "__main__":
    json.dump(describe(sys.stdin.buffer.read()), sys.stdout)
