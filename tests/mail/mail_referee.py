"""Reads one e-mail from standard input and describes, as JSON, what Python's
own mail parser makes of it. The C++ test compares that with what it sent."""

import base64
import email
import email.header
import email.policy
import json
import re
import sys


def line_report(raw):
    bare = 0
    for i, byte in enumerate(raw):
        if byte == 0x0A and (i == 0 or raw[i - 1] != 0x0D):
            bare += 1
        if byte == 0x0D and (i + 1 == len(raw) or raw[i + 1] != 0x0A):
            bare += 1
    lines = raw.split(b"\r\n")
    header_end = raw.find(b"\r\n\r\n")
    header = raw[:header_end] if header_end >= 0 else raw
    words = re.findall(rb"=\?[^?\s]+\?[bBqQ]\?[^?\s]*\?=", header)
    return {
        "bareLineEnds": bare,
        "longestEncodedWord": max((len(word) for word in words), default=0),
        "longestLine": max(len(line) for line in lines),
        "headerIsAscii": all(byte < 0x80 for byte in header),
    }


def mailboxes(message, name):
    field = message[name]
    if field is None:
        return []
    return [[a.display_name, a.addr_spec] for a in field.addresses]


def describe_parts(message):
    tree, leaves, defects = [], [], []
    for part in message.walk():
        tree.append(part.get_content_type())
        defects += [type(d).__name__ for d in part.defects]
        if part.is_multipart():
            continue
        leaf = {
            "type": part.get_content_type(),
            "transferEncoding": part.get("Content-Transfer-Encoding", ""),
            "filename": part.get_filename(),
            "disposition": part.get_content_disposition(),
            "payload": base64.b64encode(part.get_payload(decode=True)).decode("ascii"),
        }
        if part.get_content_maintype() == "text":
            leaf["text"] = part.get_content()
        leaves.append(leaf)
    return tree, leaves, defects


def main():
    raw = sys.stdin.buffer.read()
    report = line_report(raw)

    message = email.message_from_bytes(raw, policy=email.policy.default)
    tree, leaves, defects = describe_parts(message)
    date = message["Date"]
    report.update({
        "headerNames": list(message.keys()),
        "subject": str(message["Subject"]),
        "from": mailboxes(message, "From"),
        "to": mailboxes(message, "To"),
        "cc": mailboxes(message, "Cc"),
        "date": date.datetime.isoformat() if date is not None and date.datetime is not None else None,
        "messageId": str(message["Message-ID"]),
        "tree": tree,
        "parts": leaves,
        "defects": defects,
    })

    # The older parser, as much of the world's mail software still reads mail.
    old = email.message_from_bytes(raw, policy=email.policy.compat32)
    subject = email.header.make_header(email.header.decode_header(old["Subject"]))
    report["compat32Subject"] = str(subject)
    report["compat32Payloads"] = [
        base64.b64encode(part.get_payload(decode=True)).decode("ascii")
        for part in old.walk() if not part.is_multipart()
    ]
    json.dump(report, sys.stdout)


main()
