#!/usr/bin/python3
"""An FTP server for the tests: pyftpdlib on 127.0.0.1 with a temporary root.

Usage: ftpserver.py ROOT WRITER_PASSWORD READER_PASSWORD

Two accounts share ROOT as their home: "writer" may do everything, "reader" may only list and
read. The server binds a free port itself and prints "PORT <number>" on standard output once it
accepts connections; it runs until it is killed or its standard input is closed.
"""

import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, writer_password, reader_password = sys.argv[1:4]

    authorizer = DummyAuthorizer()
    authorizer.add_user("writer", writer_password, root, perm="elradfmwMT")
    authorizer.add_user("reader", reader_password, root, perm="elr")

    handler = FTPHandler
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
