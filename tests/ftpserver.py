#!/usr/bin/python3
"""An FTP server for the tests: pyftpdlib on 127.0.0.1 with a temporary root.

Usage: ftpserver.py ROOT WRITER_PASSWORD READER_PASSWORD [tls]

Three accounts share ROOT as their home: "writer" may do everything, "reader" may only list and
read, "keeper" (with the writer's password) may do all but rename. The server binds a free port itself and prints "PORT <number>" on standard output once it
accepts connections; it runs until it is killed or its standard input is closed. With "tls"
it demands explicit TLS with a throw-away certificate, whose "FINGERPRINT" it prints first.
"""

import logging
import os
import shutil
import subprocess
import sys
import tempfile
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer


class EagerTlsDtpHandler(TLS_DTPHandler):
    def readable(self):  # libcurl's handshake comes before LIST: no hang-up
        return self._ssl_accepting or super().readable()


def main():
    root, writer_password, reader_password = sys.argv[1:4]

    authorizer = DummyAuthorizer()
    authorizer.add_user("writer", writer_password, root, perm="elradfmwMT")
    authorizer.add_user("reader", reader_password, root, perm="elr")
    # Stores and deletes, but may not rename: a server that refuses RNFR/RNTO.
    authorizer.add_user("keeper", writer_password, root, perm="elradmwMT")

    handler = FTPHandler
    if sys.argv[4:5] == ["tls"]:
        keys = tempfile.mkdtemp()
        key, cert = keys + "/key.pem", keys + "/cert.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                        "-keyout", key, "-out", cert, "-subj", "/CN=localhost"], check=True, capture_output=True)
        print("FINGERPRINT " + subprocess.run(["openssl", "x509", "-in", cert, "-noout", "-fingerprint", "-sha256"],
                                              capture_output=True, text=True).stdout.strip().split("=")[1])
        handler = TLS_FTPHandler
        handler.dtp_handler = EagerTlsDtpHandler
        handler.certfile, handler.keyfile = cert, key
        handler.ssl_context = handler.get_ssl_context()  # the files are read and can go
        shutil.rmtree(keys)
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
