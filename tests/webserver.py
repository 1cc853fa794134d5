#!/usr/bin/python3
# An HTTP server for the tests (stdlib only) on one port of 127.0.0.1 and ::1: /moved?to=URL
# redirects to URL, any other path is a small feed. Usage: webserver.py; prints "PORT n" once it
# listens, and runs until its standard input closes.
import http.server, socket, socketserver, sys, threading, urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        to = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query).get("to")
        body = b"" if to else b'<rss version="2.0"><channel><title>t</title></channel></rss>\n'
        self.send_response(302 if to else 200)
        self.send_header("Location" if to else "Content-Type", to[0] if to else "application/rss+xml")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body if self.command == "GET" else b"")

    do_HEAD = do_GET
    log_message = lambda *args: None


port = 0
for family, host in ((socket.AF_INET, "127.0.0.1"), (socket.AF_INET6, "::1")):
    server = type("Server", (socketserver.ThreadingTCPServer,), {"address_family": family})((host, port), Handler)
    port = server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
print("PORT %d" % port, flush=True)
sys.stdin.read()
