"""Local SMTP servers for the mail tests, built on aiosmtpd.

Starts one server per mode on 127.0.0.1, each on a port of its own, and
reports on stdout, one JSON object per line:
  {"event": "ready", "ports": {name: port, ...}}
  {"server": name, "conn": n, "event": "connect" | "tls" | "closed"}
  {"server": name, "conn": n, "event": "command", "line": "MAIL FROM:<a@b>"}
  {"server": name, "conn": n, "event": "auth", "mechanism": "LOGIN", "success": true}
  {"server": name, "conn": n, "event": "message", "mail_from": ..., "rcpt_tos": [...],
   "content": base64 of the bytes as stored, "tls": bool, "authenticated": bool}
AUTH lines are reported by mechanism only. Runs until stdin closes.

Servers:
  plain      no TLS; AUTH allowed in the clear
  tls        TLS from the first byte
  starttls   STARTTLS required before mail and before AUTH
  wrongname  TLS from the first byte, certificate for another host name
"""

import argparse
import asyncio
import base64
import itertools
import json
import logging
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

connections = itertools.count(1)


def emit(**fields):
    sys.stdout.write(json.dumps(fields) + "\n")
    sys.stdout.flush()


class RecordingSMTP(SMTP):
    def __init__(self, server_name, *args, **kwargs):
        self.server_name = server_name
        self.conn = next(connections)
        super().__init__(*args, **kwargs)

    def report(self, event, **fields):
        emit(server=self.server_name, conn=self.conn, event=event, **fields)

    def connection_made(self, transport):
        upgraded = self.transport is not None
        super().connection_made(transport)
        self.report("tls" if upgraded else "connect")

    def connection_lost(self, error):
        self.report("closed")
        super().connection_lost(error)


def recording(verb):
    base = getattr(SMTP, "smtp_" + verb)

    async def method(self, arg):
        shown = arg or ""
        if verb == "AUTH":
            shown = shown.split(" ")[0]
        self.report("command", line=(verb + " " + shown).strip())
        return await base(self, arg)

    return method


for verb in ("EHLO", "HELO", "MAIL", "RCPT", "DATA", "QUIT", "STARTTLS", "AUTH", "RSET", "NOOP"):
    setattr(RecordingSMTP, "smtp_" + verb, recording(verb))


class Handler:
    async def handle_DATA(self, server, session, envelope):
        server.report(
            "message",
            mail_from=envelope.mail_from,
            rcpt_tos=envelope.rcpt_tos,
            content=base64.b64encode(envelope.original_content).decode("ascii"),
            tls=server.transport.get_extra_info("ssl_object") is not None,
            authenticated=bool(session.authenticated),
        )
        return "250 OK stored"


def authenticator(user, password):
    def check(server, session, envelope, mechanism, auth_data):
        success = isinstance(auth_data, LoginPassword) and auth_data.login == user and auth_data.password == password
        server.report("auth", mechanism=mechanism, success=success)
        return AuthResult(success=success, handled=False)

    return check


def server_context(certificate, key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(certificate, key)
    return context


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--wrong-cert", required=True)
    parser.add_argument("--wrong-key", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    options = parser.parse_args()

    check = authenticator(options.user.encode("utf-8"), options.password.encode("utf-8"))
    context = server_context(options.cert, options.key)
    modes = {
        "plain": ({"auth_require_tls": False}, None),
        # aiosmtpd counts only STARTTLS as TLS when it guards AUTH.
        "tls": ({"auth_require_tls": False}, context),
        "starttls": ({"tls_context": context, "require_starttls": True}, None),
        "wrongname": ({"auth_require_tls": False}, server_context(options.wrong_cert, options.wrong_key)),
    }
    loop = asyncio.get_running_loop()
    handler = Handler()
    ports = {}
    servers = []
    for name, (settings, implicit) in modes.items():

        def factory(name=name, settings=settings):
            return RecordingSMTP(name, handler, hostname="mail.test", authenticator=check, loop=loop, **settings)

        server = await loop.create_server(factory, host="127.0.0.1", port=0, ssl=implicit)
        servers.append(server)
        ports[name] = server.sockets[0].getsockname()[1]
    emit(event="ready", ports=ports)

    # The test ends the servers by closing stdin (or by ending the process).
    await loop.run_in_executor(None, sys.stdin.read)
    for server in servers:
        server.close()


if __name__ == "__main__":
    logging.basicConfig(level=logging.CRITICAL)
    asyncio.run(main())
