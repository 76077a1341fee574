#!/usr/bin/python3
"""SMTP sink for the mail tests, on Debian's python3-aiosmtpd: every accepted message is
stored byte for byte as received after dot-unstuffing (CRLF line ends) as one file
DIR/<time_ns>-<seq>.eml, and its envelope appended as one JSON line to DIR/envelopes.jsonl.

    /usr/bin/python3 smtp_sink.py --dir DIR [--port 0] [--port-file FILE]
        [--auth USER:PASS] [--starttls CERT KEY] [--smtps CERT KEY] [--fail-file FILE]
        [--refuse ADDRESS]...

--port 0 takes a free port; the bound port is written to --port-file once listening.
--fail-file names a file the test may write at any time: "refuse" answers every RCPT with 550,
"drop" cuts the connection at MAIL FROM.
"""
import argparse
import asyncio
import json
import os
import signal
import ssl
import time

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class FileSink:
    def __init__(self, msg_dir, fail_file=None, refuse=()):
        self.msg_dir = os.path.abspath(msg_dir)
        os.makedirs(self.msg_dir, exist_ok=True)
        self.seq = 0
        self.fail_file = fail_file
        self.refuse = {a.lower() for a in refuse}

    def failing(self):
        if not self.fail_file or not os.path.exists(self.fail_file):
            return ""
        with open(self.fail_file) as f:
            return f.read().strip()

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if self.failing() == "drop":
            server.transport.abort()
            return "421 closing"
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.failing() == "refuse":
            return "550 5.1.1 no such user here"
        if address.lower() in self.refuse:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        envelope.rcpt_options.extend(rcpt_options)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        data = envelope.original_content or envelope.content
        if isinstance(data, str):
            data = data.encode("utf-8", "surrogateescape")
        self.seq += 1
        name = "%d-%06d.eml" % (time.time_ns(), self.seq)
        tmp = os.path.join(self.msg_dir, "." + name + ".tmp")
        with open(tmp, "wb") as f:
            f.write(data)
        os.rename(tmp, os.path.join(self.msg_dir, name))
        rec = {
            "file": name,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "auth": (session.auth_data.login.decode("utf-8", "replace")
                     if isinstance(session.auth_data, LoginPassword) else None),
            "tls": server.transport.get_extra_info("ssl_object") is not None,
        }
        with open(os.path.join(self.msg_dir, "envelopes.jsonl"), "a", encoding="utf-8") as f:
            f.write(json.dumps(rec, ensure_ascii=False) + "\n")
        return "250 OK stored as %s" % name


class Authenticator:
    def __init__(self, user, password):
        self.user, self.password = user.encode(), password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == self.user
              and auth_data.password == self.password)
        # handled=False: aiosmtpd answers "535" itself; with True it would answer nothing.
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)


def tls_ctx(cert, key):
    ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    ctx.load_cert_chain(cert, key)
    return ctx


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--dir", required=True)
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--port-file")
    ap.add_argument("--auth", metavar="USER:PASS")
    ap.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    ap.add_argument("--smtps", nargs=2, metavar=("CERT", "KEY"))
    ap.add_argument("--fail-file")
    ap.add_argument("--refuse", action="append", default=[], metavar="ADDRESS")
    a = ap.parse_args()

    handler = FileSink(a.dir, a.fail_file, a.refuse)
    kw = dict(hostname="localhost", data_size_limit=64 * 1024 * 1024, decode_data=False)
    if a.auth:
        user, _, pw = a.auth.partition(":")
        kw.update(authenticator=Authenticator(user, pw), auth_required=True,
                  auth_require_tls=False)
    if a.starttls:
        kw.update(tls_context=tls_ctx(*a.starttls))

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    srv = loop.run_until_complete(loop.create_server(
        lambda: SMTP(handler, **kw), host="127.0.0.1", port=a.port,
        ssl=tls_ctx(*a.smtps) if a.smtps else None))
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, loop.stop)
    if a.port_file:
        with open(a.port_file + ".tmp", "w") as f:
            f.write(str(srv.sockets[0].getsockname()[1]))
        os.rename(a.port_file + ".tmp", a.port_file)
    loop.run_forever()
    srv.close()


if __name__ == "__main__":
    import logging
    import warnings
    warnings.simplefilter("ignore")
    logging.basicConfig(level=logging.CRITICAL)
    main()
