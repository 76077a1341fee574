#!/usr/bin/env python3
"""Times Python's email package on the small messages bench_mail writes, doing the work the
mail parser does: decode the subject and the address headers, read the date, decode every
text part to a string and every attachment to bytes.

    build/release/bench/bench_mail --write-corpus /tmp/mail-corpus
    python3 bench/mail_python_email.py /tmp/mail-corpus
"""
import email
import email.utils
import pathlib
import sys
import time
from email import policy


def read(raw: bytes) -> int:
    msg = email.message_from_bytes(raw, policy=policy.default)
    fields = [str(msg.get(name, "")) for name in ("subject", "from", "sender", "to", "cc", "reply-to")]
    date = msg.get("date")
    if date is not None and date.datetime is not None:
        fields.append(date.datetime.isoformat())
    size = sum(len(f) for f in fields)
    for part in msg.walk():
        if part.is_multipart():
            continue
        if part.get_content_maintype() == "text" and part.get_filename() is None:
            size += len(part.get_content())
        else:
            size += len(part.get_payload(decode=True) or b"")
            part.get_filename()
    return size


def main() -> int:
    folder = pathlib.Path(sys.argv[1])
    messages = [p.read_bytes() for p in sorted(folder.glob("*.eml"))]
    best = None
    for _ in range(3):
        start = time.perf_counter()
        total = sum(read(m) for m in messages)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    print(f"{len(messages)} messages, {total} characters read, best of 3: {best * 1000:.0f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
