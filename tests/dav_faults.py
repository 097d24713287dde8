#!/usr/bin/python3
"""fenmor-convert --upload against a scripted CalDAV/CardDAV server on 127.0.0.1 that faults in
one way per row. Each fault must end with its own message naming the server, never the password;
the kept state must hold only what the server stored, and a second sending to the server, healthy
again, must send the rest and double nothing.

    dav_faults.py FENMOR_CONVERT SAMPLES WORKDIR
"""
import http.server
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import threading
from xml.sax.saxutils import escape

PASSWORD = "s3cret-Pw"
ENV = {k: v for k, v in os.environ.items() if k != "DBUS_SESSION_BUS_ADDRESS"}  # no keyring
DISCOVERY = (b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:'
             b'caldav" xmlns:a="urn:ietf:params:xml:ns:carddav"><d:response><d:href>/alice/</d:href>'
             b"<d:propstat><d:prop><d:current-user-principal><d:href>/alice/</d:href></d:current-"
             b"user-principal><c:calendar-home-set><d:href>/alice/</d:href></c:calendar-home-set>"
             b"<a:addressbook-home-set><d:href>/alice/</d:href></a:addressbook-home-set></d:prop>"
             b"<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
             b"<d:response><d:href>/alice/cal/</d:href><d:propstat><d:prop><d:resourcetype>"
             b"<d:collection/><c:calendar/></d:resourcetype></d:prop><d:status>HTTP/1.1 200 OK"
             b"</d:status></d:propstat></d:response><d:response><d:href>/alice/book/</d:href>"
             b"<d:propstat><d:prop><d:resourcetype><d:collection/><a:addressbook/></d:resourcetype>"
             b"</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
             b"</d:multistatus>")
# Qt's own warning, now and then, when a server closes a connection under parallel requests.
QT_OWN = "QNetworkReplyImplPrivate::error: Internal problem, this method must only be called once."
failures = []


def check(what, ok, detail=""):
    if not ok:
        failures.append(f"{what}: {detail}")


def uid_of(body):
    return re.search(rb"\nUID:(.*?)\r?\n", body).group(1).decode()


class Server(http.server.ThreadingHTTPServer):
    """Stores what it is sent, by path; fault says how it misbehaves."""

    def __init__(self, fault=None, items=None, port=0):
        super().__init__(("127.0.0.1", port), Handler)
        self.fault, self.items, self.puts, self.doubles, self.seen = fault, dict(items or {}), 0, [], []
        self.lock = threading.Lock()
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def handle_error(self, request, client_address):  # a client gone mid-answer
        pass

    def url(self, path="/"):
        return f"http://127.0.0.1:{self.server_address[1]}{path}"


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body=b"", **headers):
        self.send_response(status)
        for name, value in headers.items():
            self.send_header(name.replace("_", "-"), value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def begin(self):
        s = self.server
        s.seen.append((self.command, self.path, self.headers.get("Authorization")))
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        if s.fault == "stopped":  # gone: the connection closes, nothing answered
            self.close_connection = True
            return None
        return body

    def do_PROPFIND(self):
        if self.begin() is None:
            return
        fault = self.server.fault
        if fault == "propfind redirect":
            return self.answer(301, Location=self.server.other.url(self.path))
        if fault == "web page":
            return self.answer(200, b"<html><body>It works!<br></body></html>", Content_Type="text/html")
        self.answer(207, DISCOVERY, Content_Type="application/xml")

    def do_REPORT(self):
        if self.begin() is None:
            return
        if self.server.fault == "broken xml":
            return self.answer(207, b'<?xml version="1.0"?><multistatus xmlns="DAV:"><response>')
        data = "address-data" if "book" in self.path else "calendar-data"
        responses = "".join(
            f"<response><href>{path}</href><propstat><prop><getetag>{etag}</getetag><{data}>"
            f"{escape(body.decode())}</{data}></prop><status>HTTP/1.1 200 OK</status></propstat>"
            f"</response>" for path, (body, etag) in self.server.items.items() if path.startswith(self.path))
        self.answer(207, f'<multistatus xmlns="DAV:">{responses}</multistatus>'.encode())

    def do_GET(self):
        if self.begin() is None:
            return
        if self.path not in self.server.items:
            return self.answer(404)
        body, etag = self.server.items[self.path]
        self.answer(200, body, ETag=etag)

    def do_PUT(self):
        body = self.begin()
        if body is None:
            return
        s = self.server
        with s.lock:
            s.puts += 1
            n, fault, old = s.puts, s.fault, s.items.get(self.path)
            if isinstance(fault, int) and n % 2 == 0:
                return self.answer(fault, b"<html><body>refused</body></html>", Content_Type="text/html")
            if fault == "put redirect":
                return self.answer(307, Location=s.other.url(self.path))
            if self.headers.get("If-None-Match") == "*" and old and fault != "ignores If-None-Match":
                return self.answer(412)
            if self.headers.get("If-Match") not in (None, old and old[1]):
                return self.answer(412)
            s.doubles += [p for p, (b, _) in s.items.items() if p != self.path and uid_of(b) == uid_of(body)]
            s.items[self.path] = (body, f'"{n}"')
            if fault == "stops" and n == 4:  # stored, but the answer never comes
                s.fault = "stopped"
                self.close_connection = True
                return None
        self.answer(204 if old else 201, ETag=f'"{n}"')


class Row:
    def __init__(self, name, fault, status, line, message, read_before=False):
        self.name, self.fault, self.status, self.line, self.message = name, fault, status, line, message
        self.read_before = read_before  # the kept state has read both collections before


def run(tool, work, url, captures):
    # Four PUTs at once, as to a server elsewhere: a fault meets requests still under way.
    r = subprocess.run([tool, "--out", str(work / "out"), "--ics", "--vcf", "--upload", url, "--user", "alice",
                        "--password-file", str(work / "pw"), "--parallel", "4", *captures], capture_output=True, text=True,
                       timeout=120, env=ENV)
    counts = re.fullmatch(r"upload: (\d+) new, (\d+) updated, (\d+) unchanged, (\d+) conflicts, (\d+) failed",
                          r.stdout.strip())
    return r.returncode, r.stdout.strip(), r.stderr, [int(n) for n in counts.groups()] if counts else None


def state_records(path):
    if not path.exists():
        return {}
    servers = json.loads(path.read_text())["servers"].values()
    return {uid: rec for s in servers for c in s.values() for uid, rec in c["items"].items() if not rec.get("found")}


def check_row(row, tool, work, captures, items):
    """items: UID -> (path, body) of what the PDA's transfer gives."""
    total = len(items)
    held = {}
    if row.fault == "ignores If-None-Match":  # copies of an event and a card there, one edited
        (event_path, event), (card_path, card) = (next(v for v in items.values() if v[0].endswith(kind))
                                                  for kind in (".ics", ".vcf"))
        held = {card_path: (card, '"a"'), event_path: (event.replace(b"SUMMARY:", b"SUMMARY:phone "), '"b"')}
    server, other = Server(row.fault, held), Server()
    server.other = other
    state = work / "bin" / "dav-state.json"
    state.unlink(missing_ok=True)
    if row.read_before:  # the copies were stored since
        state.write_text(json.dumps({"servers": {server.url("").rstrip("/"): {
            server.url(f"/alice/{c}/"): {"reported": True, "items": {}} for c in ("cal", "book")}}}))
    what = row.name
    code, out, err, counts = run(tool, work, server.url(), captures)
    check(what, code == row.status and re.fullmatch(row.line.format(
        r=total - total // 2, h=total // 2, m=total - 2), out), f"{code} {out}\n{err}")
    message = re.findall(row.message, err)
    check(what + ": the message, once, naming the server",
          counts and len(message) == max(counts[4], 1) and server.url("") in err, err)
    check(what + ": no password, no other program's words", PASSWORD not in err + out and all(
        line.startswith(("fenmor-convert: ", "  ", QT_OWN)) for line in err.splitlines()), err)
    check(what + ": nothing sent to the other server", other.seen == [], other.seen)
    not_sent = re.search(r"(\d+) items not sent", err)
    check(what + ": every item told", counts and sum(counts) + int(not_sent.group(1) if not_sent else 0) == total,
          f"{out}\n{err}")
    stored = {uid_of(b): p for p, (b, _) in server.items.items()}
    for uid, rec in state_records(state).items():
        check(what + ": kept as sent but not stored", uid in stored and server.url(stored[uid]) == rec["href"], uid)
    check(what + ": the server's copy kept", all(server.items[p] == v for p, v in held.items()))

    server.shutdown()
    server.server_close()  # its requests all answered: none comes late to the healthy one
    server, before = Server(None, server.items, server.server_address[1]), len(stored)
    code, out, err, counts = run(tool, work, server.url(), captures)
    conflicts = 1 if held else 0
    check(what + ": then healthy", code == (3 if held else 0) and counts and counts[0] == total - before
          and counts[3] == conflicts and counts[4] == 0 and sum(counts) == total, f"{code} {out}\n{err}\n{server.seen}")
    check(what + ": one copy each", server.doubles == [] and sorted(uid_of(b) for b, _ in server.items.values())
          == sorted(items), f"{server.doubles} {len(server.items)} for {total}")
    server.shutdown()
    other.shutdown()


# The line with n items, h of them refused, r stored; the message each fault must give.
HALF = "upload: {r} new, 0 updated, 0 unchanged, 0 conflicts, {h} failed"
NONE = "upload: 0 new, 0 updated, 0 unchanged, 0 conflicts, {f} failed"
ROWS = [
    Row("403", 403, 1, HALF, r"403 Forbidden: the user may not write there"),
    Row("404", 404, 1, HALF, r"404 Not Found: no such collection on the server"),
    Row("405", 405, 1, HALF, r"405 Method Not Allowed: the URL is not a collection that takes items"),
    Row("413", 413, 1, HALF, r"413 [\w ]+: the item is larger than the server takes"),
    Row("507", 507, 1, HALF, r"507 Insufficient Storage: the server has no room left"),
    Row("redirect to another server", "propfind redirect", 1, NONE.format(f=0),
        r"redirects to another server, http://127\.0\.0\.1:\d+; it is not followed"),
    Row("a PUT redirected to another server", "put redirect", 1, NONE.format(f=1),
        r"redirects to another server, http://127\.0\.0\.1:\d+; it is not followed"),
    Row("server stops mid-sending", "stops", 1, r"upload: [0-3] new, 0 updated, 0 unchanged, 0 conflicts, 1 failed",
        r"did not answer"),
    Row("a web page, not XML", "web page", 1, NONE.format(f=0),
        r"answered 200 OK to PROPFIND with a page, not the list a CalDAV/CardDAV server gives"),
    Row("broken XML", "broken xml", 1, NONE.format(f=0),
        r"answered REPORT with something that is not the XML a CalDAV/CardDAV server gives"),
    Row("ignores If-None-Match", "ignores If-None-Match", 3,
        "upload: {m} new, 0 updated, 1 unchanged, 1 conflicts, 0 failed", r"conflict, the server's copy kept"),
    Row("ignores If-None-Match, copies stored since the last sending", "ignores If-None-Match", 3,
        "upload: {m} new, 0 updated, 1 unchanged, 1 conflicts, 0 failed", r"conflict, the server's copy kept",
        read_before=True),
]


def main():
    tool, samples, work = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    shutil.rmtree(work, ignore_errors=True)
    (work / "bin").mkdir(parents=True)
    shutil.copy(tool, work / "bin")  # a copy of its own: the state file beside it
    tool = str(work / "bin" / pathlib.Path(tool).name)
    (work / "pw").write_text(PASSWORD + "\n")
    (work / "pw").chmod(0o600)
    captures = [str(samples / "mi-schedule.cap"), str(samples / "pi-address-book.cap")]
    healthy = Server()  # what the transfer gives, as Fenmor sends it
    code, out, err, _ = run(tool, work, healthy.url(), captures)
    check("healthy", code == 0 and healthy.puts == len(healthy.items) > 0, f"{code} {out}\n{err}")
    items = {uid_of(b): (p, b) for p, (b, _) in healthy.items.items()}
    healthy.shutdown()
    for row in ROWS:
        check_row(row, tool, work, captures, items)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
