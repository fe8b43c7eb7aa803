#!/usr/bin/env python3
"""A real SMTP server for the tests: aiosmtpd on 127.0.0.1:PORT that writes
every message it accepts into FOLDER as N.json (envelope, headers, decoded
plain-text and HTML parts) and N.eml (as received). It writes FOLDER/ready
once it listens and stops when its standard input closes.

usage: smtp_sink.py PORT FOLDER
"""
import email
import email.policy
import json
import os
import sys

from aiosmtpd.controller import Controller


class Sink:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        raw = envelope.content
        message = email.message_from_bytes(raw, policy=email.policy.default)
        parts = {}
        for part in message.walk():
            if part.get_content_maintype() == "text":
                parts[part.get_content_subtype()] = part.get_content()
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "subject": str(message["Subject"]),
            "message_id": str(message["Message-ID"]),
            "content_type": message.get_content_type(),
            "text": parts.get("plain", ""),
            "html": parts.get("html", ""),
        }
        base = os.path.join(self.folder, str(self.count))
        with open(base + ".eml", "wb") as f:
            f.write(raw)
        with open(base + ".json.part", "w", encoding="utf-8") as f:
            json.dump(record, f, ensure_ascii=False)
        os.rename(base + ".json.part", base + ".json")
        return "250 Message accepted for delivery"


def main():
    port, folder = int(sys.argv[1]), sys.argv[2]
    controller = Controller(Sink(folder), hostname="127.0.0.1", port=port)
    controller.start()
    with open(os.path.join(folder, "ready"), "w") as f:
        f.write("ready\n")
    try:
        sys.stdin.read()
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
