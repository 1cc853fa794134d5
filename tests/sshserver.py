#!/usr/bin/python3
"""An SFTP server for the tests: OpenSSH's sshd on 127.0.0.1 with a throw-away host key and a
throw-away user who logs in with a password and gets SFTP only, in ROOT.

Usage: sshserver.py ROOT PASSWORD      (as root: sshd checks passwords against /etc/shadow)

The user exists for this sshd alone: it runs in a mount namespace of its own where copies of
/etc/passwd and /etc/shadow with the user added stand in for the real ones. Where no namespace
can be made (a container without the right), the user is added with useradd, with no shell,
and removed again when the server ends. Prints "FINGERPRINT <as ssh-keygen prints it>",
"USER <name>" and "PORT <number>"; runs until its standard input is closed.
"""

import os
import signal
import socket
import subprocess
import sys
import tempfile
import time


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def main():
    root, password = sys.argv[1:3]
    user = "fstest%d" % os.getpid()
    work = tempfile.mkdtemp()
    key = os.path.join(work, "hostkey")
    run("ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-C", "", "-f", key)
    fingerprint = run("ssh-keygen", "-lf", key + ".pub").split()[1]
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    config = os.path.join(work, "sshd_config")
    with open(config, "w") as f:
        f.write("Port %d\nListenAddress 127.0.0.1\nHostKey %s\nPidFile none\nUsePAM no\n"
                "PasswordAuthentication yes\nKbdInteractiveAuthentication no\nPubkeyAuthentication no\n"
                "AuthorizedKeysFile none\nPermitRootLogin no\nAllowUsers %s\nStrictModes no\n"
                "Subsystem sftp internal-sftp\nForceCommand internal-sftp\n" % (port, key, user))

    hashed = run("openssl", "passwd", "-6", "-stdin", input=password + "\n").strip()
    sshd = ["/usr/sbin/sshd", "-D", "-e", "-f", config]
    added = False
    if subprocess.run(["unshare", "--mount", "true"], capture_output=True).returncode == 0:
        uids = {int(line.split(":")[2]) for line in open("/etc/passwd") if line.count(":") >= 6}
        uid = next(u for u in range(61000, 65000) if u not in uids)
        for name, line in (("passwd", "%s:x:%d:%d::%s:/usr/sbin/nologin\n" % (user, uid, uid, root)),
                           ("shadow", "%s:%s:19000:0:99999:7:::\n" % (user, hashed))):
            with open(os.path.join(work, name), "w") as f:
                f.write(open("/etc/" + name).read() + line)
            os.chmod(os.path.join(work, name), 0o644 if name == "passwd" else 0o600)
        script = ("mount --bind %s/passwd /etc/passwd && mount --bind %s/shadow /etc/shadow && "
                  "mount -t tmpfs -o mode=755 tmpfs /run && mkdir -m 755 /run/sshd && exec \"$@\"" % (work, work))
        sshd = ["unshare", "--mount", "--propagation", "private", "sh", "-c", script, "sh"] + sshd
    else:
        run("useradd", "-M", "-d", root, "-s", "/usr/sbin/nologin", "-p", hashed, user)
        added = True
        uid = int(run("id", "-u", user))
        os.makedirs("/run/sshd", mode=0o755, exist_ok=True)
    os.chown(root, uid, -1)

    server = subprocess.Popen(sshd, stdin=subprocess.DEVNULL,
                              preexec_fn=lambda: __import__("ctypes").CDLL(None).prctl(1, signal.SIGTERM))
    try:
        deadline = time.time() + 15
        ready = False
        while not ready and time.time() < deadline and server.poll() is None:
            try:
                with socket.create_connection(("127.0.0.1", port), timeout=2) as s:
                    ready = s.recv(4).startswith(b"SSH-")
            except OSError:
                time.sleep(0.1)
        if not ready:
            return
        print("FINGERPRINT %s\nUSER %s\nPORT %d" % (fingerprint, user, port), flush=True)
        sys.stdin.read()
    finally:
        server.terminate()
        server.wait()
        if added:
            subprocess.run(["userdel", user], capture_output=True)


if __name__ == "__main__":
    main()
