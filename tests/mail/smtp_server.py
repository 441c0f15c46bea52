"""Scripted SMTP servers on 127.0.0.1 for the mail tests (arguments: cert, key).

Each stdin line {"script": [...]} starts a server for one client and prints its
{"port"}. Script steps: "<" reads a line, "<." reads mail data, "tls" takes up
TLS ("<tls>", or "<no tls>" and the end), "~" waits and notes "<early>" if the
client spoke meanwhile, "!" hangs up, anything else is sent. It then reads until
the client leaves and prints the "lines" read ("|"-joined), the mail "data" (as
Latin-1) and what the referee makes of the mail ("report")."""

import json
import re
import select
import socket
import ssl
import sys
import threading
import time

from mail_referee import describe

output = threading.Lock()


def emit(record):
    with output:
        print(json.dumps(record), flush=True)


def play(listener, script, tls):
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
        elif step == "tls":
            try:
                connection = tls.wrap_socket(connection, server_side=True)
            except OSError:
                lines.append("<no tls>")
                break
            reader = connection.makefile("rb")
            lines.append("<tls>")
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
    mail = re.sub(rb"(?m)^\.", b"", data[:-3])  # without the final period, unstuffed
    emit({"lines": "|".join(lines), "data": data.decode("latin-1"), "report": describe(mail)})


if __name__ == "__main__":
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(sys.argv[1], sys.argv[2])
    for request in sys.stdin:
        server = socket.create_server(("127.0.0.1", 0))
        emit({"port": server.getsockname()[1]})
        threading.Thread(target=play, args=(server, json.loads(request)["script"], context), daemon=True).start()
