#!/usr/bin/python3
# A hostile FTP server for the tests: it logs anyone in, then misbehaves as the mode says.
#   drip-greeting  the greeting is an endless multi-line reply, 2 bytes a second
#   drip-reply     logs in, then the reply to EPSV/PASV is dripped the same way
#   drip-listing   logs in; the listing arrives at 2 bytes a second, for ever
#   flood-listing  logs in; the listing is endless and as fast as the socket takes it
#   escapes        logs in, lists one file; every CWD is refused with a multi-line reply that
#                  holds terminal escape sequences and a line that looks like the program's own
# Usage: hostileftp.py MODE; prints "PORT n" once it listens on 127.0.0.1.
import socket
import sys
import threading
import time

MODE = sys.argv[1]

HOSTILE_REPLY = (
    b"550-\x1b[2J\x1b]0;owned\x07Folder\xc2\x9b31m not found\r\n"
    b"feedsmith-cli: uploaded news.xml to forged.example\r\n"
    b"550 \x1b[1A\rend\r\n"
)


def drip(conn, prefix):
    # Two bytes a second of a reply that never ends.
    line = prefix + b"-" + b"x" * 20 + b"\r\n"
    while True:
        for i in range(0, len(line), 2):
            conn.sendall(line[i:i + 2])
            time.sleep(1)


def data_listener():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    return listener


def send_listing(data):
    if MODE == "drip-listing":
        line = b"-rw-r--r-- 1 a a 1 Jan 02 10:00 drip.xml\r\n"
        while True:
            for i in range(0, len(line), 2):
                data.sendall(line[i:i + 2])
                time.sleep(1)
    elif MODE == "flood-listing":
        block = b"".join(b"-rw-r--r-- 1 a a 1 Jan 02 10:00 flood%06d.xml\r\n" % i for i in range(1000))
        while True:
            data.sendall(block)
    else:
        data.sendall(b"-rw-r--r-- 1 a a 1 Jan 02 10:00 \x1b[31mindex.html\r\n")


def serve(conn):
    try:
        if MODE == "drip-greeting":
            drip(conn, b"220")
        conn.sendall(b"220 hostile server ready\r\n")
        reader = conn.makefile("rb")
        listener = None
        while True:
            line = reader.readline()
            if not line:
                return
            command = line.strip().split(b" ", 1)
            verb = command[0].upper()
            argument = command[1] if len(command) > 1 else b""
            if verb == b"USER":
                conn.sendall(b"331 password please\r\n")
            elif verb == b"PASS":
                conn.sendall(b"230 logged in\r\n")
            elif verb == b"PWD":
                conn.sendall(b'257 "/" is the current directory\r\n')
            elif verb == b"TYPE":
                conn.sendall(b"200 type set\r\n")
            elif verb == b"CWD":
                if MODE == "escapes":
                    conn.sendall(HOSTILE_REPLY)
                else:
                    conn.sendall(b"250 directory changed\r\n")
            elif verb in (b"EPSV", b"PASV"):
                if MODE == "drip-reply":
                    drip(conn, b"229" if verb == b"EPSV" else b"227")
                listener = data_listener()
                port = listener.getsockname()[1]
                if verb == b"EPSV":
                    conn.sendall(b"229 Entering Extended Passive Mode (|||%d|)\r\n" % port)
                else:
                    conn.sendall(b"227 Entering Passive Mode (127,0,0,1,%d,%d)\r\n" % (port >> 8, port & 255))
            elif verb in (b"LIST", b"NLST", b"STOR") and listener is not None:
                conn.sendall(b"150 here it comes\r\n")
                data, _ = listener.accept()
                listener.close()
                listener = None
                try:
                    if verb == b"STOR":
                        while data.recv(65536):
                            pass
                    else:
                        send_listing(data)
                finally:
                    data.close()
                conn.sendall(b"226 done\r\n")
            elif verb == b"QUIT":
                conn.sendall(b"221 bye\r\n")
                return
            else:
                conn.sendall(b"502 not implemented\r\n")
    except OSError:
        pass
    finally:
        conn.close()


def main():
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    print("PORT %d" % server.getsockname()[1], flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
