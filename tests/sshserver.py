#!/usr/bin/python3
"""Usage, as root: sshserver.py ROOT PASSWORD [rsa]. sshd on 127.0.0.1 with a throw-away host key
and user (password, SFTP only, home ROOT) who lives only in copies of /etc/passwd and /etc/shadow in
sshd's own mount namespace: the system's files stay as they are. Without root or `unshare --mount`
it says so on standard error and fails. With "rsa" the host key is an RSA key and the only one,
signed with SHA-2 alone (as OpenSSH signs by default, ssh-rsa with SHA-1 refused). Prints
FINGERPRINT, USER and PORT lines; runs until its standard input closes, and sshd ends with it even
when it is killed."""
import ctypes, os, shutil, signal, socket, subprocess, sys, tempfile, time


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


root, password = sys.argv[1:3]
rsa = sys.argv[3:] == ["rsa"]
if os.geteuid() != 0 or subprocess.run(["unshare", "--mount", "true"], capture_output=True).returncode != 0:
    sys.exit("sshserver.py: sshd's user needs a private mount namespace (root and `unshare --mount`)")
user, work = "fstest%d" % os.getpid(), tempfile.mkdtemp()
run("ssh-keygen", "-q", "-t", "rsa" if rsa else "ed25519", "-N", "", "-C", "", "-f", work + "/key")
probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
with open(work + "/config", "w") as f:
    f.write("Port %d\nListenAddress 127.0.0.1\nHostKey %s/key\nPidFile none\nUsePAM no\nPasswordAuthentication yes\n"
            "PubkeyAuthentication no\nAllowUsers %s\nForceCommand internal-sftp\nSubsystem sftp internal-sftp\n"
            % (port, work, user))
    if rsa:
        f.write("HostKeyAlgorithms rsa-sha2-512,rsa-sha2-256\n")
hashed = run("openssl", "passwd", "-6", "-stdin", input=password).strip()
sshd = ["/usr/sbin/sshd", "-D", "-e", "-f", work + "/config"]
uid = 61000 + os.getpid() % 4000
for name, line in (("passwd", "%s:x:%d:%d::%s:/usr/sbin/nologin" % (user, uid, uid, root)),
                   ("shadow", "%s:%s:::::::" % (user, hashed))):
    with open("%s/%s" % (work, name), "w") as f:
        f.write(open("/etc/" + name).read() + line + "\n")
sshd = ["unshare", "--mount", "sh", "-c", "mount --bind {0}/passwd /etc/passwd && mount --bind {0}/shadow "
        "/etc/shadow && mount -t tmpfs -o mode=755 tmpfs /run && mkdir /run/sshd && exec \"$@\"".format(work),
        "sh"] + sshd
os.chown(root, uid, -1)
# sshd (which unshare and sh become) is killed when this script dies, however it dies.
die_with_us = lambda: ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
server = subprocess.Popen(sshd, stdin=subprocess.DEVNULL, preexec_fn=die_with_us)
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
