#!/usr/bin/python3
# A hostile FTP server for the tests (stdlib only): it logs anyone in, then misbehaves by mode.
#   drip-greeting  the greeting is an endless multi-line reply at 2 bytes a second
#   drip-reply     the reply to EPSV/PASV drips the same way
#   drip-listing   the listing arrives at 2 bytes a second, for ever
#   flood-listing  the listing is endless and as fast as the socket takes it
#   escapes        every CWD is refused with a multi-line reply holding terminal escape
#                  sequences and a line that looks like one of the program's own
# Usage: hostileftp.py MODE; prints "PORT n" once it listens on 127.0.0.1, and runs until its
# standard input closes.
import os
import socket
import sys
import threading
import time

MODE = sys.argv[1]
HOSTILE_REPLY = (b"550-\x1b[2J\x1b]0;owned\x07Folder\xc2\x9b31m not found\r\n"
                 b"feedsmith-cli: uploaded news.xml to forged.example\r\n"
                 b"550 \x1b[1A\rend\r\n")
REPLIES = {b"USER": b"331 password please", b"PASS": b"230 logged in", b"PWD": b'257 "/" is current',
           b"TYPE": b"200 type set", b"CWD": b"250 directory changed", b"QUIT": b"221 bye"}


def drip(sock, line):
    while True:
        for i in range(0, len(line), 2):
            sock.sendall(line[i:i + 2])
            time.sleep(1)


def send_listing(data):
    if MODE == "drip-listing":
        drip(data, b"-rw-r--r-- 1 a a 1 Jan 02 10:00 drip.xml\r\n")
    elif MODE == "flood-listing":
        block = b"".join(b"-rw-r--r-- 1 a a 1 Jan 02 10:00 flood%06d.xml\r\n" % i for i in range(1000))
        while True:
            data.sendall(block)
    data.sendall(b"-rw-r--r-- 1 a a 1 Jan 02 10:00 \x1b[31mindex.html\r\n")


def serve(conn):
    listener = None
    try:
        if MODE == "drip-greeting":
            drip(conn, b"220-" + b"x" * 20 + b"\r\n")
        conn.sendall(b"220 hostile server ready\r\n")
        for line in conn.makefile("rb"):
            verb = line.strip().split(b" ")[0].upper()
            if verb == b"CWD" and MODE == "escapes":
                conn.sendall(HOSTILE_REPLY)
            elif verb in REPLIES:
                conn.sendall(REPLIES[verb] + b"\r\n")
            elif verb in (b"EPSV", b"PASV"):
                if MODE == "drip-reply":
                    drip(conn, (b"229-" if verb == b"EPSV" else b"227-") + b"x" * 20 + b"\r\n")
                listener = socket.create_server(("127.0.0.1", 0))
                port = listener.getsockname()[1]
                conn.sendall(b"229 Entering Extended Passive Mode (|||%d|)\r\n" % port if verb == b"EPSV" else
                             b"227 Entering Passive Mode (127,0,0,1,%d,%d)\r\n" % (port >> 8, port & 255))
            elif verb in (b"LIST", b"STOR") and listener:
                conn.sendall(b"150 here it comes\r\n")
                data = listener.accept()[0]
                if verb == b"STOR":
                    while data.recv(65536):
                        pass
                else:
                    send_listing(data)
                data.close()
                conn.sendall(b"226 done\r\n")
            else:
                conn.sendall(b"502 not implemented\r\n")
            if verb == b"QUIT":
                return
    except OSError:
        pass
    finally:
        conn.close()


def watch_stdin():  # the test closes it when it ends, however it ends
    sys.stdin.read()
    os._exit(0)


server = socket.create_server(("127.0.0.1", 0))
print("PORT %d" % server.getsockname()[1], flush=True)
threading.Thread(target=watch_stdin, daemon=True).start()
while True:
    threading.Thread(target=serve, args=(server.accept()[0],), daemon=True).start()
