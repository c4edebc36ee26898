#!/usr/bin/python3
"""Real SMTP server for the mail tests and the mail benchmark.

Runs aiosmtpd on 127.0.0.1 on a free port and prints "PORT <n>" once it
listens. Every message it accepts is stored as msg-<n>.eml (the bytes as
received) and described in msg-<n>.json after Python's email package has
parsed it. With --make-certs DIR it only writes a test authority and a server
certificate for 127.0.0.1 into DIR, using openssl, and exits.
"""

import argparse
import asyncio
import email
import email.policy
import email.utils
import json
import logging
import os
import ssl
import subprocess
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def make_certificates(directory):
    os.makedirs(directory, exist_ok=True)

    def path(name):
        return os.path.join(directory, name)

    def openssl(*args):
        subprocess.run(["openssl", *args], check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # Elliptic-curve keys are made in milliseconds, RSA ones take far longer.
    new_key = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl("req", "-x509", *new_key, "-days", "2",
            "-subj", "/CN=Mirelda test authority",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign",
            "-keyout", path("ca.key"), "-out", path("ca.pem"))
    openssl("req", *new_key, "-subj", "/CN=127.0.0.1",
            "-keyout", path("server.key"), "-out", path("server.csr"))
    with open(path("server.ext"), "w") as ext:
        ext.write("subjectAltName=IP:127.0.0.1\n"
                  "basicConstraints=CA:FALSE\n"
                  "keyUsage=digitalSignature\n"
                  "extendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", path("server.csr"), "-CA", path("ca.pem"),
            "-CAkey", path("ca.key"), "-CAcreateserial", "-days", "2",
            "-extfile", path("server.ext"), "-out", path("server.pem"))


def describe_part(part):
    info = {
        "content_type": part.get_content_type(),
        "charset": part.get_content_charset(),
        "filename": part.get_filename(),
        "disposition": part.get_content_disposition(),
        "transfer_encoding": str(part.get("Content-Transfer-Encoding", "")),
        "payload_hex": (part.get_payload(decode=True) or b"").hex(),
    }
    if part.get_content_maintype() == "text":
        info["text"] = part.get_content()
    return info


def describe_message(server, envelope, session):
    raw = envelope.content
    message = email.message_from_bytes(raw, policy=email.policy.default)
    try:
        date_ok = email.utils.parsedate_to_datetime(str(message["Date"])) is not None
    except (TypeError, ValueError):
        date_ok = False
    return {
        "mail_from": envelope.mail_from,
        "rcpt_tos": envelope.rcpt_tos,
        "auth": session.auth_data,
        "tls": server.transport.get_extra_info("ssl_object") is not None,
        "headers": {name.lower(): str(value) for name, value in message.items()},
        "mailboxes": {name: [[a.display_name, a.addr_spec] for a in message[name].addresses]
                      for name in ("from", "to", "cc") if message[name] is not None},
        "date_ok": date_ok,
        "content_type": message.get_content_type(),
        "defects": [type(d).__name__ for p in message.walk() for d in p.defects],
        "parts": [describe_part(p) for p in message.walk() if not p.is_multipart()],
        "max_line_length": max(len(line) for line in raw.split(b"\r\n")),
        "bare_line_feeds": raw.replace(b"\r\n", b"").count(b"\n"),
    }


class Recorder:
    def __init__(self, outdir, store_only):
        self.outdir = outdir
        self.store_only = store_only
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.outdir, "msg-%d" % self.count)
        with open(base + ".eml", "wb") as eml:
            eml.write(envelope.content)
        if self.store_only:
            return "250 OK stored"
        summary = describe_message(server, envelope, session)
        with open(base + ".json.tmp", "w") as out:
            json.dump(summary, out)
        os.replace(base + ".json.tmp", base + ".json")
        return "250 OK stored"


def make_authenticator(user, password):
    def authenticate(server, session, envelope, mechanism, auth_data):
        if not isinstance(auth_data, LoginPassword):
            return AuthResult(success=False, handled=False)
        if auth_data.login != user.encode() or auth_data.password != password.encode():
            return AuthResult(success=False, handled=False)
        return AuthResult(success=True, auth_data={"mechanism": mechanism,
                                                   "login": auth_data.login.decode()})
    return authenticate


async def serve(args):
    loop = asyncio.get_running_loop()
    context = None
    if args.mode == "ssl":
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(os.path.join(args.certdir, "server.pem"),
                                os.path.join(args.certdir, "server.key"))
    recorder = Recorder(args.outdir, args.store_only)
    authenticator = make_authenticator(args.user, args.password)

    def factory():
        return SMTP(recorder, hostname="mirelda-test", authenticator=authenticator,
                    auth_required=True, auth_require_tls=False,
                    data_size_limit=64 * 1024 * 1024, loop=loop)

    server = await loop.create_server(factory, "127.0.0.1", 0,
                                      ssl=context if args.mode == "ssl" else None)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    await asyncio.sleep(args.lifetime)
    server.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--make-certs", metavar="DIR")
    parser.add_argument("--mode", choices=("plain", "ssl"), default="ssl")
    parser.add_argument("--certdir", default=".")
    parser.add_argument("--outdir", default=".")
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--lifetime", type=float, default=120.0)
    parser.add_argument("--store-only", action="store_true",
                        help="keep the raw message but do not parse it (for timing)")
    args = parser.parse_args()
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    if args.make_certs:
        make_certificates(args.make_certs)
        return 0
    asyncio.run(serve(args))
    return 0


if __name__ == "__main__":
    sys.exit(main())
