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


raw = sys.stdin.buffer.read()
found = {
    "bare line end": re.search(rb"(?<!\r)\n|\r(?!\n)", raw),
    "line over 998 octets": any(len(line) > 998 for line in raw.split(b"\r\n")),
    "NUL byte": b"\0" in raw,
    "header not ASCII": not raw.split(b"\r\n\r\n", 1)[0].isascii(),
}
problems = [name for name, there in found.items() if there]
message = email.message_from_bytes(raw, policy=email.policy.default)
date = message["Date"]
if not date or not date.datetime or abs(datetime.datetime.now(datetime.timezone.utc) - date.datetime).total_seconds() > 3600:
    problems.append("bad Date")
parts = []
for part in message.walk():
    problems += [type(defect).__name__ for defect in part.defects]
    if not part.is_multipart():
        payload = part.get_payload(decode=True)
        if part["Content-Transfer-Encoding"] == "7bit" and not payload.isascii():
            problems.append("8-bit bytes in a 7bit part")
        parts.append([part.get_filename() or "", payload.decode("latin-1")])
json.dump({
    "problems": "|".join(problems),
    "headerNames": list(message.keys()),
    "subject": str(message["Subject"]),
    "from": mailboxes(message["From"]),
    "to": mailboxes(message["To"]),
    "tree": [part.get_content_type() for part in message.walk()],
    "parts": parts,
}, sys.stdout)
