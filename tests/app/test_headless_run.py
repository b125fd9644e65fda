#!/usr/bin/env python3
"""Without a display, scripts/start-editor shows the editor in a browser.

Checks, on the running servers, what the script promises: every socket its
processes listen on is bound to the loopback interface; the VNC server offers
no "None" security type, refuses a client that asks for it anyway and one
with a wrong password, and takes the password printed in the address; the
printed address serves noVNC's page, whose WebSocket reaches the VNC server;
closing the editor, or Ctrl+C, leaves nothing running and no file behind.

usage: test_headless_run.py START-EDITOR LARKSPUR
Exits 77 (skipped) when the packages it needs are not installed.
"""

import base64
import http.client
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
NOVNC = "/usr/share/novnc/vnc.html"
SECURITY_NONE, SECURITY_VNC_AUTH = 1, 2


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def des_encrypt(key, block):
    """DES of one block, as triple DES with the key three times."""
    try:
        from cryptography.hazmat.decrepit.ciphers.algorithms import TripleDES
    except ImportError:
        from cryptography.hazmat.primitives.ciphers.algorithms import TripleDES
    from cryptography.hazmat.primitives.ciphers import Cipher, modes

    return Cipher(TripleDES(key * 3), modes.ECB()).encryptor().update(block)


def vnc_auth_response(password, challenge):
    # VNC authentication's key: the password's first 8 bytes, each with its
    # bits in reverse order.
    key = bytes(int(f"{b:08b}"[::-1], 2) for b in password.encode()[:8].ljust(8, b"\0"))
    return des_encrypt(key, challenge[:8]) + des_encrypt(key, challenge[8:])


def receive(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            break
        data += chunk
    return data


def rfb_security_types(sock):
    """The RFB 3.8 greeting, then the security types the server offers."""
    greeting = receive(sock, 12)
    if not greeting.startswith(b"RFB 003."):
        fail(f"no RFB greeting: {greeting!r}")
    sock.sendall(b"RFB 003.008\n")
    count = receive(sock, 1)
    if not count or count[0] == 0:
        fail("the VNC server offered no security type")
    return list(receive(sock, count[0]))


def rfb_connect(port, security_type, password=None):
    """Picks security_type (answering VNC authentication's challenge with
    password) and returns the server's security result (0: accepted) or None
    when it closed the connection instead, and the socket."""
    sock = socket.create_connection(("127.0.0.1", port), timeout=5)
    rfb_security_types(sock)
    sock.sendall(bytes([security_type]))
    if security_type == SECURITY_VNC_AUTH:
        challenge = receive(sock, 16)
        if len(challenge) != 16:
            return None, sock
        sock.sendall(vnc_auth_response(password, challenge))
    result = receive(sock, 4)
    return (struct.unpack(">I", result)[0] if len(result) == 4 else None), sock


def check_vnc(port, password):
    with socket.create_connection(("127.0.0.1", port), timeout=5) as sock:
        offered = rfb_security_types(sock)
    if SECURITY_NONE in offered or offered != [SECURITY_VNC_AUTH]:
        fail(f"the VNC server offers security types {offered}, not VNC authentication alone")

    for what, kind, tried in (
        ("a client choosing no authentication", SECURITY_NONE, None),
        ("a wrong password", SECURITY_VNC_AUTH, "wrong123"),
        ("an empty password", SECURITY_VNC_AUTH, ""),
    ):
        result, sock = rfb_connect(port, kind, tried)
        sock.close()
        if result == 0:
            fail(f"the VNC server accepted {what}")

    result, sock = rfb_connect(port, SECURITY_VNC_AUTH, password)
    with sock:
        if result != 0:
            fail(f"the VNC server refused the printed password (result {result})")
        sock.sendall(b"\1")  # ClientInit: shared
        init = receive(sock, 24)
        width, height = struct.unpack(">HH", init[:4])
        name = receive(sock, struct.unpack(">I", init[20:24])[0]).decode()
    if (width, height, name) != (1280, 800, "Larkspur"):
        fail(f"the desktop is {width}x{height} named {name!r}")
    print(f"VNC on 127.0.0.1:{port}: offers {offered}, refuses no and wrong passwords, "
          f"takes the printed one ({width}x{height} desktop {name!r})")


def check_page(port):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
    connection.request("GET", "/vnc.html")
    response = connection.getresponse()
    body = response.read().decode(errors="replace")
    if response.status != 200 or "noVNC" not in body:
        fail(f"GET /vnc.html gave {response.status} without noVNC's page")

    # The page's WebSocket (path "websockify") carries the RFB stream.
    with socket.create_connection(("127.0.0.1", port), timeout=5) as sock:
        key = base64.b64encode(os.urandom(16)).decode()
        sock.sendall((f"GET /websockify HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                      f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n"
                      "Sec-WebSocket-Protocol: binary\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = sock.recv(1)
            if not chunk:
                break
            head += chunk
        if not head.startswith(b"HTTP/1.1 101"):
            fail(f"the WebSocket upgrade gave {head[:40]!r}")
        frame = receive(sock, 2)
        payload = receive(sock, frame[1] & 0x7F)
    if not payload.startswith(b"RFB 003."):
        fail(f"the WebSocket did not carry the RFB greeting: {payload!r}")
    print(f"page on 127.0.0.1:{port}: vnc.html served, its WebSocket reaches the VNC server")


def group_processes(pgid):
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if int(fields[2]) == pgid and fields[0] != "Z":
                pids.append(int(entry))
    return pids


def listening_sockets(pids):
    """(local address, program) of every listening TCP or UDP socket of pids."""
    output = subprocess.run(["ss", "-H", "-ltunp"], capture_output=True, text=True, check=True).stdout
    found = []
    for line in output.splitlines():
        users = dict((int(pid), name) for name, pid in re.findall(r'\("([^"]*)",pid=(\d+)', line))
        for pid in set(users) & set(pids):
            found.append((line.split()[4], users[pid]))
    return found


def check_sockets(pgid, ports):
    sockets = listening_sockets(group_processes(pgid))
    outside = [s for s in sockets if not re.match(r"(127\.0\.0\.1|\[::1\]):\d+$", s[0])]
    if outside:
        fail(f"listening beyond the loopback interface: {outside}")
    bound = {int(address.rsplit(":", 1)[1]) for address, _ in sockets}
    if not set(ports) <= bound:
        fail(f"ports {ports} not among the listening sockets {sockets}")
    print("listening: " + ", ".join(f"{a} ({p})" for a, p in sorted(sockets)))


def start(script, program, work):
    os.makedirs(os.path.join(work, "tmp"))
    ini = os.path.join(work, "app.ini")
    with open(ini, "wb") as f:
        f.write(b"[Section]\r\nkey=value\r\n")
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(XDG_DATA_HOME=os.path.join(work, "data"), XDG_STATE_HOME=os.path.join(work, "state"),
               TMPDIR=os.path.join(work, "tmp"))
    # A process group of its own, as a terminal starts it, for Ctrl+C.
    run = subprocess.Popen([script, program, ini], env=env, stdout=subprocess.PIPE,
                           stderr=open(os.path.join(work, "err"), "w"), text=True, start_new_session=True)
    printed = ""
    for line in run.stdout:
        printed += line
        if "Ctrl+C" in line:
            break
    found = re.search(r"http://127\.0\.0\.1:(\d+)/vnc\.html#\S*password=(\w+)", printed)
    vnc = re.search(r"VNC viewer: 127\.0\.0\.1:(\d+)", printed)
    tunnel = re.search(r"ssh -N -L (\d+):127\.0\.0\.1:(\d+) ", printed)
    if not (found and vnc and tunnel and tunnel.group(1) == tunnel.group(2) == found.group(1)):
        run.kill()
        with open(os.path.join(work, "err")) as err:
            fail(f"no address and tunnel printed:\n{printed}{err.read()}")
    print(printed, end="")
    return run, int(found.group(1)), found.group(2), int(vnc.group(1)), env["TMPDIR"]


def check_stops(run, stop, ports, tmpdir):
    stop()
    try:
        run.wait(timeout=10)
    except subprocess.TimeoutExpired:
        fail("start-editor still runs 10 s after the editor ended")
    for _ in range(100):
        left = group_processes(run.pid)
        if not left:
            break
        time.sleep(0.05)
    else:
        fail(f"processes left running: {left}")
    for port in ports:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            fail(f"port {port} still answers")
        except OSError:
            pass
    left = [name for name in os.listdir(tmpdir) if name.startswith("larkspur-view.")]
    if left:
        fail(f"left behind in TMPDIR: {left}")


def editor_pid(pgid):
    for pid in group_processes(pgid):
        with open(f"/proc/{pid}/comm") as comm:
            if comm.read().strip() == "larkspur":
                return pid
    fail("no editor process runs")


def main():
    script, program = sys.argv[1:3]
    missing = [t for t in ("Xtigervnc", "tigervncpasswd", "websockify", "ss") if not shutil.which(t)]
    missing += [] if os.path.exists(NOVNC) else [NOVNC]
    try:
        des_encrypt(b"12345678", b"8 bytes!")
    except ImportError:
        missing.append("python3-cryptography")
    if missing:
        print(f"SKIP: {', '.join(missing)} not installed "
              "(apt-get install tigervnc-standalone-server tigervnc-tools novnc websockify iproute2)")
        return SKIPPED

    with tempfile.TemporaryDirectory() as work:
        run, web, password, vnc, tmpdir = start(script, program, os.path.join(work, "a") + "/")
        try:
            check_sockets(run.pid, [web, vnc])
            check_vnc(vnc, password)
            check_page(web)
            check_stops(run, lambda: os.kill(editor_pid(run.pid), signal.SIGTERM), [web, vnc], tmpdir)
            print("closing the editor stopped everything")
        finally:
            if run.poll() is None:
                os.killpg(run.pid, signal.SIGKILL)

        run, web, password, vnc, tmpdir = start(script, program, os.path.join(work, "b") + "/")
        try:
            editor_pid(run.pid)
            check_stops(run, lambda: os.killpg(run.pid, signal.SIGINT), [web, vnc], tmpdir)
            print("Ctrl+C stopped everything")
        finally:
            if run.poll() is None:
                os.killpg(run.pid, signal.SIGKILL)
    return 0


if __name__ == "__main__":
    sys.exit(main())
