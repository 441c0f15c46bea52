"""Scripted SMTP servers on 127.0.0.1 for the mail tests (arguments: cert, key).

Each stdin line {"script": [...]} starts a server for one client and prints its
{"port"}. Script steps: "<" reads a line, "<." reads mail data, "tls" takes up
TLS ("<tls>", or "<no tls>" and the end), "!" hangs up, anything else is sent.
It then reads until the client leaves and prints the "lines" read ("|"-joined)
and the mail "data" (as Latin-1)."""

import json
import socket
import ssl
import sys
import threading

output = threading.Lock()


def emit(record):
    with output:
        print(json.dumps(record), flush=True)


def play(listener, script, tls):
    connection = listener.accept()[0]
    listener.close()
    connection.settimeout(20)
    lines, data, reader = [], "", connection.makefile("rb")

    def hear():  # the next line, or "" once the client left
        try:
            return reader.readline().decode("latin-1")
        except OSError:
            return ""

    for step in script:
        if step == "<":
            if not (line := hear()):
                break
            lines.append(line.rstrip("\r\n"))
        elif step == "<.":
            while data != ".\r\n" and not data.endswith("\r\n.\r\n") and (line := hear()):
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
        elif step == "!":
            break
        else:
            connection.sendall(step.encode())
    else:
        while line := hear():
            lines.append(line.rstrip("\r\n"))
    reader.close()
    connection.close()
    emit({"lines": "|".join(lines), "data": data})


if __name__ == "__main__":
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(sys.argv[1], sys.argv[2])
    for request in sys.stdin:
        server = socket.create_server(("127.0.0.1", 0))
        emit({"port": server.getsockname()[1]})
        threading.Thread(target=play, args=(server, json.loads(request)["script"], context), daemon=True).start()
