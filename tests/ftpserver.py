#!/usr/bin/python3
"""An FTP server for the tests: pyftpdlib on 127.0.0.1 with a temporary root.

Usage: ftpserver.py ROOT WRITER_PASSWORD READER_PASSWORD [tls]

Two accounts share ROOT as their home: "writer" may do everything, "reader" may only list and
read. The server binds a free port itself and prints "PORT <number>" on standard output once it
accepts connections; it runs until it is killed or its standard input is closed. With "tls"
it demands explicit TLS with a throw-away self-signed certificate for "localhost", and first
prints "FINGERPRINT <SHA-256 as openssl prints it>".
"""

import logging
import os
import subprocess
import sys
import tempfile
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_DTPHandler, TLS_FTPHandler


class EagerTlsDtpHandler(TLS_DTPHandler):
    """libcurl starts a data connection's handshake before it sends LIST or STOR; pyftpdlib would
    take the early bytes for a hang-up."""

    def readable(self):
        return self._ssl_accepting or super().readable()
from pyftpdlib.servers import FTPServer


def main():
    root, writer_password, reader_password = sys.argv[1:4]

    authorizer = DummyAuthorizer()
    authorizer.add_user("writer", writer_password, root, perm="elradfmwMT")
    authorizer.add_user("reader", reader_password, root, perm="elr")

    handler = FTPHandler
    if sys.argv[4:5] == ["tls"]:
        keys = tempfile.mkdtemp()
        cert, key = os.path.join(keys, "cert.pem"), os.path.join(keys, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=localhost", "-batch"],
                       check=True, capture_output=True)
        out = subprocess.run(["openssl", "x509", "-in", cert, "-noout", "-fingerprint", "-sha256"],
                             check=True, capture_output=True, text=True).stdout
        print("FINGERPRINT " + out.strip().split("=", 1)[1], flush=True)
        handler = TLS_FTPHandler
        handler.dtp_handler = EagerTlsDtpHandler
        handler.certfile, handler.keyfile = cert, key
        handler.tls_control_required = handler.tls_data_required = True
    handler.authorizer = authorizer
    handler.passive_ports = None
    handler.permit_foreign_addresses = False
    # A refused login answers at once: the tests need no protection against guessing.
    handler.auth_failed_timeout = 0

    logging.basicConfig(stream=sys.stderr, level=logging.INFO)
    server = FTPServer(("127.0.0.1", 0), handler)
    port = server.socket.getsockname()[1]
    print("PORT %d" % port, flush=True)

    # The test closes our standard input when it ends, even when it never stops us.
    def watch_stdin():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    try:
        server.serve_forever(handle_exit=True)
    finally:
        server.close_all()


if __name__ == "__main__":
    main()
