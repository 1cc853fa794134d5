#!/usr/bin/python3
"""Usage, as root: sshserver.py ROOT PASSWORD. sshd on 127.0.0.1 with a throw-away host key and
user (password, SFTP only, home ROOT) who lives in copies of /etc/passwd and /etc/shadow in sshd's
own mount namespace, else is added with useradd (no shell) and removed at the end. Prints
FINGERPRINT, USER and PORT lines; runs until its standard input closes."""
import os, shutil, socket, subprocess, sys, tempfile, time


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


root, password = sys.argv[1:3]
user, work = "fstest%d" % os.getpid(), tempfile.mkdtemp()
run("ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-C", "", "-f", work + "/key")
probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
with open(work + "/config", "w") as f:
    f.write("Port %d\nListenAddress 127.0.0.1\nHostKey %s/key\nPidFile none\nUsePAM no\nPasswordAuthentication yes\n"
            "PubkeyAuthentication no\nAllowUsers %s\nForceCommand internal-sftp\nSubsystem sftp internal-sftp\n"
            % (port, work, user))
hashed = run("openssl", "passwd", "-6", "-stdin", input=password).strip()
sshd = ["/usr/sbin/sshd", "-D", "-e", "-f", work + "/config"]
private = subprocess.run(["unshare", "--mount", "true"]).returncode == 0
if private:
    uid = 61000 + os.getpid() % 4000
    for name, line in (("passwd", "%s:x:%d:%d::%s:/usr/sbin/nologin" % (user, uid, uid, root)),
                       ("shadow", "%s:%s:::::::" % (user, hashed))):
        with open("%s/%s" % (work, name), "w") as f:
            f.write(open("/etc/" + name).read() + line + "\n")
    sshd = ["unshare", "--mount", "sh", "-c", "mount --bind {0}/passwd /etc/passwd && mount --bind {0}/shadow "
            "/etc/shadow && mount -t tmpfs -o mode=755 tmpfs /run && mkdir /run/sshd && exec \"$@\"".format(work),
            "sh"] + sshd
else:
    for _ in range(50):  # another test's useradd may hold the lock of /etc/passwd
        added = subprocess.run(["useradd", "-M", "-d", root, "-s", "/usr/sbin/nologin", "-p", hashed, user])
        if added.returncode not in (1, 10):
            break
        time.sleep(0.1)
    uid = int(run("id", "-u", user))
    os.makedirs("/run/sshd", exist_ok=True)
os.chown(root, uid, -1)
server = subprocess.Popen(sshd, stdin=subprocess.DEVNULL)
try:
    for _ in range(100):
        try:
            with socket.create_connection(("127.0.0.1", port)) as s:
                if s.recv(4) == b"SSH-":
                    break
        except OSError:
            time.sleep(0.1)
    print("FINGERPRINT %s\nUSER %s\nPORT %d" % (run("ssh-keygen", "-lf", work + "/key").split()[1], user, port),
          flush=True)
    sys.stdin.read()
finally:
    server.terminate()
    server.wait()
    shutil.rmtree(work)
    if not private:
        while subprocess.run(["userdel", user]).returncode in (1, 10):  # /etc/passwd or /etc/group locked
            time.sleep(0.1)
