#!/usr/bin/python3
"""fenmor-convert --upload against real servers on 127.0.0.1: Radicale with htpasswd (plain and
over TLS with a certificate made here) and Xandikos. Each server must end with one item per
record, and each run with the counts and the exit status a user would expect.

    dav_check.py FENMOR_CONVERT FENMOR_MAKE_TRANSFER WORKDIR
"""
import base64
import os
import pathlib
import re
import shutil
import socket
import subprocess
import sys
import threading
import time
import urllib.request
import xml.etree.ElementTree as ET

failures = []
# No session bus: the keyring has no answer, the password comes from --password-file.
ENV = {k: v for k, v in os.environ.items() if k != "DBUS_SESSION_BUS_ADDRESS"}
EVENTS, CARDS = 12, 12


def check(what, ok, detail=""):
    if not ok:
        failures.append(f"{what}: {detail}")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def request(url, method="GET", body=None, auth=None, headers=()):
    req = urllib.request.Request(url, data=body, method=method, headers=dict(headers))
    if auth:
        req.add_header("Authorization", "Basic " + base64.b64encode(auth.encode()).decode())
    try:
        with urllib.request.urlopen(req, timeout=30) as r:
            return r.status, r.read()
    except urllib.error.HTTPError as e:
        return e.code, e.read()


def wait_for(port, server):
    for _ in range(150):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            if server.poll() is not None:
                break
            time.sleep(0.1)
    raise RuntimeError(f"server did not start: {server.args}")


def radicale(work, name, tls):
    folder = work / name
    folder.mkdir()
    (folder / "users").write_text("alice:secret\n")
    port = free_port()
    ssl = (f"ssl = True\ncertificate = {folder}/cert.pem\nkey = {folder}/key.pem\n" if tls else "")
    if tls:
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-keyout", folder / "key.pem", "-out", folder / "cert.pem", "-subj",
                        "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"],
                       check=True, capture_output=True)
    (folder / "config").write_text(
        f"[server]\nhosts = 127.0.0.1:{port}\n{ssl}[auth]\ntype = htpasswd\n"
        f"htpasswd_filename = {folder}/users\nhtpasswd_encryption = plain\n"
        f"[rights]\ntype = owner_only\n[storage]\nfilesystem_folder = {folder}/store\n"
        "[logging]\nlevel = warning\n")
    server = subprocess.Popen(["radicale", "--config", str(folder / "config")],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(port, server)
    return server, port, folder


class Proxy:
    """Forwards TCP to a server; while cut_after is set, the connection is dropped once that many
    PUTs went through, the last one's answer never reaching the client."""

    def __init__(self, port):
        self.port, self.listen, self.puts, self.cut_after = port, socket.socket(), 0, None
        self.listen.bind(("127.0.0.1", 0))
        self.listen.listen(16)
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            client, _ = self.listen.accept()
            upstream = socket.create_connection(("127.0.0.1", self.port))
            threading.Thread(target=self.pipe, args=(client, upstream, True), daemon=True).start()
            threading.Thread(target=self.pipe, args=(upstream, client, False), daemon=True).start()

    def pipe(self, source, sink, requests):
        try:
            while data := source.recv(65536):
                if requests:
                    self.puts += data.count(b"PUT /")
                elif self.cut_after is not None and self.puts >= self.cut_after:
                    break
                sink.sendall(data)
        except OSError:
            pass
        for s in (source, sink):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            s.close()


def collection_items(url, auth=None):
    """UID -> item text of every resource in a collection."""
    status, body = request(url, "PROPFIND", auth=auth, headers={"Depth": "1"})
    hrefs = [e.text for e in ET.fromstring(body).iter("{DAV:}href")]
    items = {}
    for href in hrefs:
        if href.endswith((".ics", ".vcf")):
            text = request(urllib.parse.urljoin(url, href), auth=auth)[1].decode()
            uid = re.search(r"\nUID:(.*?)\r?\n", text).group(1)
            check(url, uid not in items, f"UID {uid} twice")
            items[uid] = text
    return items


class Converter:
    def __init__(self, tool, work, captures):
        self.tool, self.work, self.captures, self.runs = tool, work, captures, 0

    def run(self, url, edition="first", *options, password="pw"):
        self.runs += 1
        out = self.work / f"out{self.runs}"
        r = subprocess.run([self.tool, "--out", str(out), "--ics", "--vcf", "--upload", url, "--user",
                            "alice", "--password-file", str(self.work / password), *options,
                            *map(str, self.captures[edition])], capture_output=True, text=True,
                           timeout=120, env=ENV)
        return r.returncode, r.stdout.strip(), r.stderr

    def expect(self, what, url, edition, status, line, *options, password="pw"):
        code, out, err = self.run(url, edition, *options, password=password)
        check(what, (code, out) == (status, "upload: " + line), f"exit {code}, {out!r}\n{err}")
        return err


def edited(capture, target, records, minutes):
    """The capture with the end time of the given schedule records moved."""
    text = capture.read_bytes()
    for n in records:
        text = re.sub(rb'("D","%d","","\d+","","","","\d+","\d{10})(\d\d)"' % n,
                      lambda m: m.group(1) + b"%02d\"" % minutes, text)
    target.write_bytes(text)
    return target


def ends(texts):
    """UID and DTEND of each event."""
    blocks = re.findall(r"BEGIN:VEVENT\r\n.*?END:VEVENT", "".join(texts), re.S)
    return sorted((re.search(r"\nUID:(.*?)\r", b).group(1), re.search(r"\nDTEND[^:]*:(.*?)\r", b).group(1))
                  for b in blocks if "DTEND" in b)


def radicale_checks(conv, server_url, work):
    cal, book = server_url + "alice/cal/", server_url + "alice/book/"
    check("MKCALENDAR", request(cal, "MKCALENDAR", auth="alice:secret")[0] == 201)
    check("MKCOL", request(book, "MKCOL", ADDRESS_BOOK, "alice:secret",
                           {"Content-Type": "application/xml"})[0] == 201)
    n = EVENTS + CARDS
    conv.expect("first sending", server_url, "first", 0, f"{n} new, 0 updated, 0 unchanged, 0 conflicts, 0 failed")
    conv.expect("unchanged re-send", server_url, "first", 0, f"0 new, 0 updated, {n} unchanged, 0 conflicts, 0 failed")
    conv.expect("edited re-send", server_url, "edited", 0, f"0 new, 2 updated, {n - 2} unchanged, 0 conflicts, 0 failed")
    events = collection_items(cal, "alice:secret")
    check("the calendar", len(events) == EVENTS, f"{len(events)} items for {EVENTS} records")
    written = [f.read_bytes().decode() for f in (conv.work / f"out{conv.runs}").glob("*.ics")]
    check("the edited items", ends(events.values()) == ends(written) != [], f"{ends(written)}")
    check("the address book", len(collection_items(book, "alice:secret")) == CARDS)
    # An item edited on the server, then on the PDA: a conflict, the server's copy kept.
    uid, text = next((u, t) for u, t in events.items() if re.search(r"DTEND:\d{8}T\d\d4500", t))
    href = next(h for h in re.findall(r'"href": "([^"]+)"', (conv.work / "bin" / "dav-state.json").read_text())
                if uid.split("@")[0] in h)
    request(href, "PUT", text.replace("SUMMARY:", "SUMMARY:server ").encode(), "alice:secret",
            {"Content-Type": "text/calendar"})
    err = conv.expect("conflict", server_url, "again", 3, f"0 new, 2 updated, {n - 3} unchanged, 1 conflicts, 0 failed")
    check("conflict shown", "SUMMARY=server " in err, err)
    check("the server's copy kept", "SUMMARY:server " in request(href, auth="alice:secret")[1].decode())
    err = conv.expect("wrong password", server_url, "again", 1, "0 new, 0 updated, 0 unchanged, 0 conflicts, 0 failed",
                      password="wrong")
    check("401 said once", err.count("(401 ") == 1 and "secret" not in err and "nope" not in err, err)


ADDRESS_BOOK = (b'<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav">'
                b"<set><prop><resourcetype><collection/><C:addressbook/></resourcetype></prop></set></mkcol>")


def main():
    tool, make, work = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])
    shutil.rmtree(work, ignore_errors=True)
    (work / "bin").mkdir(parents=True)
    shutil.copy(tool, work / "bin")  # a copy of its own: the state file beside it
    (work / "pw").write_text("secret\n")
    (work / "pw").chmod(0o600)
    (work / "wrong").write_text("nope\n")
    (work / "wrong").chmod(0o600)
    schedule, address = work / "schedule.cap", work / "address.cap"
    subprocess.run([make, "mi-schedule", schedule, str(EVENTS)], check=True, capture_output=True)
    subprocess.run([make, "pi-address", address, str(CARDS)], check=True, capture_output=True)
    captures = {"first": [schedule, address],
                "edited": [edited(schedule, work / "edited.cap", (2, 3), 45), address],
                "again": [edited(schedule, work / "again.cap", (2, 3, 4), 50), address]}
    conv = Converter(str(work / "bin" / "fenmor-convert"), work, captures)
    servers = []
    try:
        server, port, _ = radicale(work, "plain", tls=False)
        servers.append(server)
        radicale_checks(conv, f"http://127.0.0.1:{port}/", work)

        server, port, folder = radicale(work, "tls", tls=True)
        servers.append(server)
        url = f"https://127.0.0.1:{port}/"
        fp = subprocess.run(["openssl", "x509", "-in", folder / "cert.pem", "-noout", "-fingerprint",
                             "-sha256"], capture_output=True, text=True).stdout.split("=")[1].strip()
        err = conv.expect("unknown certificate", url, "first", 1, "0 new, 0 updated, 0 unchanged, 0 conflicts, 0 failed")
        check("fingerprint shown", fp in err, err)
        import ssl
        context = ssl._create_unverified_context()
        for path, verb, body in (("alice/cal/", "MKCALENDAR", None), ("alice/book/", "MKCOL", ADDRESS_BOOK)):
            req = urllib.request.Request(url + path, body, method=verb, headers={
                "Authorization": "Basic " + base64.b64encode(b"alice:secret").decode(),
                "Content-Type": "application/xml"})
            urllib.request.urlopen(req, context=context).close()
        conv.expect("trusted fingerprint", url, "first", 0, f"{EVENTS + CARDS} new, 0 updated, 0 unchanged, 0 conflicts, 0 failed",
                    "--trust-fingerprint", fp.replace(":", "").lower())

        port = free_port()
        server = subprocess.Popen(["xandikos", "--defaults", "-d", str(work / "xandikos"), "-l",
                                   "127.0.0.1", "-p", str(port)], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        servers.append(server)
        wait_for(port, server)
        proxy = Proxy(port)
        proxy.cut_after = 5
        url = f"http://127.0.0.1:{proxy.listen.getsockname()[1]}/"
        code, out, err = conv.run(url)
        check("server gone mid-sending", code == 1 and "did not answer" in err, f"{code} {out}\n{err}")
        done = int(re.match(r"upload: (\d+) new", out).group(1)) if out else 0
        proxy.cut_after = None
        code, out, err = conv.run(url)
        check("the sending finished", code == 0 and re.fullmatch(
            rf"upload: (\d+) new, 0 updated, (\d+) unchanged, 0 conflicts, 0 failed", out)
            and sum(map(int, re.findall(r"\d+", out)[:3])) == EVENTS + CARDS, f"{code} {out} after {done}\n{err}")
        conv.expect("unchanged re-send", url, "first", 0, f"0 new, 0 updated, {EVENTS + CARDS} unchanged, 0 conflicts, 0 failed")
        conv.expect("edited re-send", url, "edited", 0, f"0 new, 2 updated, {EVENTS + CARDS - 2} unchanged, 0 conflicts, 0 failed")
        base = f"http://127.0.0.1:{port}/user/"
        check("xandikos calendar", len(collection_items(base + "calendars/calendar/")) == EVENTS)
        check("xandikos address book", len(collection_items(base + "contacts/addressbook/")) == CARDS)
    finally:
        for s in servers:
            s.terminate()
            s.wait(timeout=30)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
