"""Local SMTP servers for the mail tests, on 127.0.0.1, until stdin closes.

aiosmtpd with AUTH PLAIN and LOGIN for one user (arguments: cert, key, user,
password): "plain", "tls" (TLS from the first byte) and "starttls" (required
before AUTH). Prints {"ports"}, then per closed connection its "commands" (AUTH
by mechanism only, "<tls>" once encrypted) and stored "message" with its report.

Each stdin line {"script": [...]} starts a server for one client (port printed
as {"server": "listening"}) playing the script: "<" reads a line, "<." reads
mail data, "~" waits and notes "<early>" if the client spoke meanwhile, "!"
hangs up, anything else is sent. Then it prints the "commands" and "data" read."""

import asyncio
import base64
import json
import logging
import select
import socket
import ssl
import sys
import threading
import time

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword
from mail_referee import describe


output = threading.Lock()


def emit(record):
    with output:
        print(json.dumps(record), flush=True)


class RecordingSMTP(SMTP):
    def __init__(self, name, *args, **kwargs):
        self.record = {"server": name, "commands": [], "message": None}
        super().__init__(*args, **kwargs)

    def connection_made(self, transport):
        if self.transport is not None:
            self.record["commands"].append("<tls>")
        super().connection_made(transport)

    def connection_lost(self, error):
        emit(self.record)
        super().connection_lost(error)


def recording(verb):
    base = getattr(SMTP, "smtp_" + verb)

    async def method(self, arg):
        shown = (arg or "").split(" ")[0] if verb == "AUTH" else arg or ""
        self.record["commands"].append((verb + " " + shown).strip())
        return await base(self, arg)

    return method


for verb in ("EHLO", "HELO", "MAIL", "RCPT", "DATA", "QUIT", "STARTTLS", "AUTH", "RSET", "NOOP"):
    setattr(RecordingSMTP, "smtp_" + verb, recording(verb))


class Handler:
    async def handle_DATA(self, server, session, envelope):
        server.record["message"] = {
            "tls": server.transport.get_extra_info("ssl_object") is not None,
            "report": describe(envelope.original_content),
        }
        return "250 OK stored"


def play(listener, script):
    connection = listener.accept()[0]
    listener.close()
    connection.settimeout(20)
    lines, data, reader = [], b"", connection.makefile("rb")

    def read_line():
        try:
            return reader.readline() or None
        except OSError:
            return None

    for step in script:
        if step == "<":
            if (line := read_line()) is None:
                break
            lines.append(line.decode().rstrip("\r\n"))
        elif step == "<.":
            while data != b".\r\n" and not data.endswith(b"\r\n.\r\n") and (line := read_line()) is not None:
                data += line
            lines.append("<data>")
        elif step == "~":
            time.sleep(0.2)
            if select.select([connection], [], [], 0)[0]:
                lines.append("<early>")
        elif step == "!":
            break
        else:
            connection.sendall(step.encode())
    else:
        while (line := read_line()) is not None:
            lines.append(line.decode().rstrip("\r\n"))
    reader.close()
    connection.close()
    emit({"server": "scripted", "commands": lines, "data": base64.b64encode(data).decode("ascii")})


def scripts():
    for line in sys.stdin:
        listener = socket.create_server(("127.0.0.1", 0))
        emit({"server": "listening", "port": listener.getsockname()[1]})
        threading.Thread(target=play, args=(listener, json.loads(line)["script"]), daemon=True).start()


def context(certificate, key):
    made = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    made.load_cert_chain(certificate, key)
    return made


async def main(cert, key, user, password):
    def check(server, session, envelope, mechanism, data):
        success = isinstance(data, LoginPassword) and data.login == user.encode() and data.password == password.encode()
        return AuthResult(success=success, handled=False)

    modes = {  # aiosmtpd counts only STARTTLS as TLS when it guards AUTH
        "plain": ({"auth_require_tls": False}, None),
        "tls": ({"auth_require_tls": False}, context(cert, key)),
        "starttls": ({"tls_context": context(cert, key), "require_starttls": True}, None),
    }
    loop = asyncio.get_running_loop()
    ports, servers = {}, []
    for name, (settings, implicit) in modes.items():

        def factory(name=name, settings=settings):
            return RecordingSMTP(name, Handler(), hostname="mail.test", authenticator=check, loop=loop, **settings)

        servers.append(await loop.create_server(factory, host="127.0.0.1", port=0, ssl=implicit))
        ports[name] = servers[-1].sockets[0].getsockname()[1]
    emit({"ports": ports})
    await loop.run_in_executor(None, scripts)
    for server in servers:
        server.close()


if __name__ == "__main__":
    logging.basicConfig(level=logging.CRITICAL)
    asyncio.run(main(*sys.argv[1:]))
