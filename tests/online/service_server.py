#!/usr/bin/env python3
"""A stand-in for the maker's web service, for the online tests.

Listens on 127.0.0.1 (a free port, printed as "PORT <n>") and speaks plain HTTP and, when
given a certificate, TLS on the same port: a connection whose first byte opens a TLS
handshake is wrapped, any other is served as plain HTTP.
"""
import argparse
import socket
import ssl
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CHECK_REPLY = (b"<version>9.9</version>\r\n<url>https://downloads.example/pixmorrow.zip</url>\r\n"
               b"<news>none</news>\r\n<result>1</result>\r\n")


class Handler(BaseHTTPRequestHandler):
    server_version = "TestService"
    sys_version = ""

    def log_message(self, fmt, *args):
        pass

    def reply(self, status, body, content_type="text/plain; charset=utf-8", headers=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        scheme = "https" if isinstance(self.connection, ssl.SSLSocket) else "http"
        path = self.path.split("?", 1)[0]
        if path == "/echo":
            lines = [
                b"scheme=" + scheme.encode(),
                b"method=" + self.command.encode(),
                b"connection=" + (self.headers.get("Connection") or "").encode(),
                b"content-type=" + (self.headers.get("Content-Type") or "").encode(),
                b"body=" + body,
            ]
            self.reply(200, b"\n".join(lines))
        elif path.startswith("/redirect/"):
            left = int(path.rsplit("/", 1)[1])
            target = "/redirect/%d" % (left - 1) if left > 1 else "/echo"
            self.reply(302, b"moved", headers=[("Location", target)])
        elif path.startswith("/status/"):
            status = int(path.rsplit("/", 1)[1])
            self.reply(status, b"status %d" % status)
        elif path == "/silent":
            time.sleep(120)
        elif path == "/latin1":
            self.reply(200, "caf\u00e9\r\nna\u00efve".encode("latin-1"),
                       content_type="text/plain; charset=ISO-8859-1")
        elif path == "/nocharset":
            self.reply(200, "gr\u00fc\u00dfe".encode("utf-8"), content_type="text/plain")
        elif path == "/php/check2.php":
            self.reply(200, CHECK_REPLY)
        elif path == "/php/feedback.php":
            self.reply(200, b"OK\r\n")
        else:
            self.reply(404, b"not found")

    do_GET = handle_any
    do_POST = handle_any


class Server(ThreadingHTTPServer):
    daemon_threads = True
    tls = None

    def server_bind(self):
        # HTTPServer.server_bind looks up the host's name, which can hang without a resolver.
        import socketserver
        socketserver.TCPServer.server_bind(self)
        self.server_name = "127.0.0.1"
        self.server_port = self.server_address[1]

    def finish_request(self, request, client_address):
        request.settimeout(30)
        try:
            first = request.recv(1, socket.MSG_PEEK)
        except OSError:
            return
        if first == b"\x16" and self.tls is not None:
            try:
                request = self.tls.wrap_socket(request, server_side=True)
            except (ssl.SSLError, OSError):
                return  # an untrusted certificate ends here, on the client's side
        try:
            self.RequestHandlerClass(request, client_address, self)
        except (ssl.SSLError, OSError):
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.tls = context
    sys.stdout.write("PORT %d\n" % server.server_address[1])
    sys.stdout.flush()
    server.serve_forever()


if __name__ == "__main__":
    main()
