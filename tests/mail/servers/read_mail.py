#!/usr/bin/python3
"""Reads a mail file as standard readers do (Python's email package, both its modern and
its compatibility policy) and prints what a user would see, one "key=value" line each,
UTF-8; line breaks inside a value are written as "\\n"."""
import email
import email.header
import email.policy
import hashlib
import sys


def show(key, value):
    print("%s=%s" % (key, str(value).replace("\r\n", "\\n").replace("\n", "\\n")))


raw = open(sys.argv[1], "rb").read()
m = email.message_from_bytes(raw, policy=email.policy.default)
f = m["from"].addresses[0]
show("from", "%s <%s>" % (f.display_name, f.addr_spec))
for h in ("to", "cc", "reply-to", "bcc"):
    if m[h] is not None:
        show(h, ",".join(a.addr_spec for a in m[h].addresses))
show("subject", m["subject"])
show("body", m.get_body(("plain",)).get_content())
for part in m.iter_attachments():
    show("attach", "%s %s %s" % (part.get_filename(), part.get_content_type(),
                                 hashlib.sha256(part.get_payload(decode=True)).hexdigest()))
old = email.message_from_bytes(raw)  # the compatibility policy
show("compat-subject", str(email.header.make_header(email.header.decode_header(old["subject"]))))
for part in old.walk():
    if part.get_filename():
        show("compat-attach", part.get_filename())
show("defects", sum(len(p.defects) for p in m.walk()))
