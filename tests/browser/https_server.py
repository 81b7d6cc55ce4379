"""The test's web server: one port that answers both https (with a
certificate made by openssl for the run) and plain http, serving one folder.
Started and stopped by the test, in a thread of the test's own process."""

import argparse
import http.server
import os
import socket
import ssl
import subprocess
import tempfile
import threading

TLS_HANDSHAKE = 0x16


def make_certificate(directory, hosts):
    key = os.path.join(directory, "server.key")
    certificate = os.path.join(directory, "server.crt")
    names = ",".join(f"DNS:{host}" for host in hosts) + ",IP:127.0.0.1"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", f"/CN={hosts[0]}", "-addext", f"subjectAltName={names}",
                    "-keyout", key, "-out", certificate],
                   check=True, capture_output=True, timeout=60)
    return certificate, key


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *_):
        pass

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()


class _Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, handler, context):
        self.context = context
        super().__init__(address, handler)

    def get_request(self):
        connection, address = super().get_request()
        connection.settimeout(10)
        try:
            first = connection.recv(1, socket.MSG_PEEK)
        except OSError:
            first = b""
        if first and first[0] == TLS_HANDSHAKE:
            connection = self.context.wrap_socket(connection, server_side=True)
        return connection, address

    def handle_error(self, request, client_address):
        pass  # a browser dropping a connection is no failure of the page


class WebServer:
    def __init__(self, folder, work_dir, hosts, port=0, address="127.0.0.1"):
        certificate, key = make_certificate(work_dir, hosts)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(certificate, key)
        handler = lambda *args: _QuietHandler(*args, directory=folder)  # noqa: E731
        self.server = _Server((address, port), handler, context)
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *_):
        self.server.shutdown()
        self.server.server_close()
        self.thread.join(timeout=10)
        return False


def main():
    """Serves a folder, e.g. the sample bank page, until interrupted."""
    parser = argparse.ArgumentParser(description="Serve a folder over https and http")
    parser.add_argument("folder")
    parser.add_argument("--port", type=int, default=8443)
    parser.add_argument("--host-name", default="card.kestrova.example.com")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work, \
            WebServer(os.path.abspath(args.folder), work, [args.host_name], args.port) as server:
        print(f"serving {args.folder} on https://127.0.0.1:{server.port}/ (Ctrl-C ends)")
        try:
            server.thread.join()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
