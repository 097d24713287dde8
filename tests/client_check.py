#!/usr/bin/python3
"""The .ics and .vcf files in the programs people use: each transfer and its edited re-send are
converted (the re-send as vCard 3.0, the first as 4.0), every item is PUT by its UID into a
Radicale server on 127.0.0.1, khal imports both calendars and khard lists the server's address
book. Each must hold exactly one item per record, with the edited values.

    client_check.py TOOL WORKDIR ORIGINAL EDITED [ORIGINAL EDITED ...]
"""
import base64
import os
import pathlib
import re
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import export_check  # noqa: E402  (the capture reader and the failure list)

import icalendar  # noqa: E402

fail = export_check.fail
AUTH = "Basic " + base64.b64encode(b"fenmor:x").decode()
ADDRESS_BOOK = ('<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav">'
                "<set><prop><resourcetype><collection/><C:addressbook/></resourcetype></prop></set></mkcol>")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def request(base, method, path, body=b"", content_type="text/plain"):
    req = urllib.request.Request(base + path, data=body or None, method=method,
                                 headers={"Authorization": AUTH, "Content-Type": content_type})
    try:
        with urllib.request.urlopen(req, timeout=30) as r:
            return r.status, r.read()
    except urllib.error.HTTPError as e:
        return e.code, e.read()


def start_radicale(work):
    port = free_port()
    server = subprocess.Popen(
        ["radicale", "--server-hosts", f"127.0.0.1:{port}", "--storage-filesystem-folder",
         str(work / "store"), "--auth-type", "none", "--rights-type", "authenticated",
         "--logging-level", "warning"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    base = f"http://127.0.0.1:{port}"
    for _ in range(100):
        try:
            if request(base, "PROPFIND", "/fenmor/")[0] == 207:
                return server, base
        except OSError:
            pass
        if server.poll() is not None:
            break
        time.sleep(0.1)
    server.kill()
    raise RuntimeError("radicale did not start: " + server.stderr.read().decode(errors="replace"))


def components(text, name):
    """(UID, text) of each component, as a client sends one item."""
    found = re.findall(rf"BEGIN:{name}\r\n.*?END:{name}\r\n", text, re.S)
    return [(re.search(r"\r\nUID:(.*?)\r\n", c).group(1), c) for c in found]


def convert(tool, out, capture, *options):
    out.mkdir(parents=True, exist_ok=True)
    subprocess.run([tool, "--out", str(out), "--now", export_check.NOW, "--encoding", "utf-8",
                    "--ics", "--vcf", *options, str(capture)], check=True, capture_output=True)
    return {p.suffix: p for p in out.iterdir() if p.suffix in (".ics", ".vcf")}


def put_all(base, collection, files, name, wrap):
    uids = []
    for f in files:
        for uid, item in components(f.read_bytes().decode("utf-8"), name):
            href = re.sub(r"[^0-9A-Za-z-]", "_", uid) + (".vcf" if name == "VCARD" else ".ics")
            status, body = request(base, "PUT", collection + href, wrap(item).encode(),
                                   "text/vcard" if name == "VCARD" else "text/calendar")
            if status not in (201, 204):
                fail(collection, f"PUT {uid}: {status} {body[:200]!r}")
            uids.append(uid)
    return uids


def calendar_of(item):
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Fenmor test//JA\r\n" + item +
            "END:VCALENDAR\r\n")


def check_server(base, n, records, first, second):
    cal, book = f"/fenmor/cal{n}/", f"/fenmor/book{n}/"
    request(base, "MKCALENDAR", cal)
    request(base, "MKCOL", book, ADDRESS_BOOK.encode(), "application/xml")
    for suffix, name, collection, wrap in ((".ics", "VEVENT", cal, calendar_of),
                                           (".ics", "VTODO", cal, calendar_of),
                                           (".vcf", "VCARD", book, lambda c: c)):
        files = [f[suffix] for f in (first, second) if suffix in f]
        before = put_all(base, collection, files[:1], name, wrap)
        after = put_all(base, collection, files[1:], name, wrap)
        if sorted(before) != sorted(after):
            fail(f"pair {n} {name}", "the edited re-send changed UIDs")
        if len(set(after)) != records[name]:
            fail(f"pair {n} {name}", f"{len(set(after))} UIDs for {records[name]} records")
    status, body = request(base, "GET", cal)
    held = [c for c in icalendar.Calendar.from_ical(body).walk() if c.name in ("VEVENT", "VTODO")]
    if len(held) != records["VEVENT"] + records["VTODO"]:
        fail(f"pair {n}", f"the server holds {len(held)} calendar items "
                          f"for {records['VEVENT'] + records['VTODO']} records")
    if ".ics" in second:
        sent = {str(c["UID"]): c for c in icalendar.Calendar.from_ical(second[".ics"].read_bytes()).walk()
                if c.name in ("VEVENT", "VTODO")}
        for item in held:
            mine = sent.get(str(item["UID"]))
            if mine is None or mine.to_ical() != item.to_ical():
                fail(f"pair {n}", f"the server keeps an old version of {item.get('SUMMARY')}")
    status, body = request(base, "GET", book)
    cards = body.decode().count("BEGIN:VCARD")
    if cards != records["VCARD"]:
        fail(f"pair {n}", f"the server holds {cards} cards for {records['VCARD']} records")
    return book


def run(command, env, where):
    r = subprocess.run(command, env=env, capture_output=True, text=True, timeout=120)
    if r.returncode != 0:
        fail(where, f"{' '.join(command[3:5])}: exit {r.returncode} {r.stderr} {r.stdout}")
    return r.stdout


def check_khal(work, n, events, first, second):
    home = work / f"khal{n}"
    vdir = home / "calendar"
    vdir.mkdir(parents=True)
    conf = home / "khal.conf"
    conf.write_text(f"[calendars]\n[[fenmor]]\npath = {vdir}\ntype = calendar\n"
                    "[locale]\ntimeformat = %H:%M\ndateformat = %Y-%m-%d\n"
                    "longdateformat = %Y-%m-%d\ndatetimeformat = %Y-%m-%d %H:%M\n"
                    "longdatetimeformat = %Y-%m-%d %H:%M\n")
    env = dict(os.environ, HOME=str(home), XDG_DATA_HOME=str(home / "data"),
               XDG_CONFIG_HOME=str(home / "config"), TZ="UTC")
    days = []
    for f in (first, second):
        run(["khal", "-c", str(conf), "import", "--batch", "-a", "fenmor", str(f[".ics"])], env, f"khal {n}")
        cal = icalendar.Calendar.from_ical(f[".ics"].read_bytes())
        days += [c["DTSTART"].dt for c in cal.walk("VEVENT")]
    days = [d.date() if hasattr(d, "date") else d for d in days]
    listed = run(["khal", "-c", str(conf), "list", "--format", "{uid}|{start}|{end}", "--day-format", "",
                  min(days).isoformat(), (max(days)).isoformat() + " 23:59"], env, f"khal {n}")
    uids = {line.split("|")[0] for line in listed.splitlines() if "|" in line}
    if len(uids) != events:
        fail(f"khal {n}", f"{len(uids)} events listed for {events} records:\n{listed[:800]}")
    sent = {str(c["UID"]): c for c in icalendar.Calendar.from_ical(second[".ics"].read_bytes()).walk("VEVENT")}
    for line in listed.splitlines():
        uid, start, end = (line.split("|") + ["", ""])[:3]
        ev = sent.get(uid)
        if ev is None:
            continue
        want = ev["DTSTART"].dt
        if hasattr(want, "hour") and want.strftime("%Y-%m-%d %H:%M") != start and want.strftime("%H:%M") != start:
            fail(f"khal {n}", f"{ev['SUMMARY']} starts {start}, written {want}")


def check_khard(work, n, book_folder, cards):
    home = work / f"khard{n}"
    home.mkdir(parents=True)
    conf = home / "khard.conf"
    conf.write_text(f"[addressbooks]\n[[fenmor]]\npath = {book_folder}\n"
                    "[general]\ndebug = no\ndefault_action = list\neditor = true\nmerge_editor = true\n"
                    "[contact table]\ndisplay = formatted_name\n[vcard]\n")
    env = dict(os.environ, HOME=str(home), XDG_CONFIG_HOME=str(home))
    listed = run(["khard", "-c", str(conf), "list", "--parsable"], env, f"khard {n}")
    rows = [line for line in listed.splitlines() if line.strip()]
    if len(rows) != cards:
        fail(f"khard {n}", f"{len(rows)} cards listed for {cards} records:\n{listed[:800]}")


def main():
    if len(sys.argv) < 5 or len(sys.argv) % 2 == 0:
        print(__doc__, file=sys.stderr)
        return 2
    tool, work = sys.argv[1], pathlib.Path(sys.argv[2])
    pairs = list(zip(sys.argv[3::2], sys.argv[4::2]))
    server, base = start_radicale(work)
    try:
        for n, (original, edited) in enumerate(pairs, 1):
            sets = export_check.data_sets(pathlib.Path(original))
            count = {letter: sum(len(s["records"]) for s in sets if s["kind"][1:] == letter)
                     for letter in "STA"}
            records = {"VEVENT": count["S"], "VTODO": count["T"], "VCARD": count["A"]}
            for capture in (original, edited):  # every field found, the Shift-JIS files unchanged
                export_check.check_capture(tool, work / "fields" / pathlib.Path(capture).stem,
                                           pathlib.Path(capture))
            first = convert(tool, work / f"{n}a", pathlib.Path(original))
            second = convert(tool, work / f"{n}b", pathlib.Path(edited), "--vcard-version", "3")
            book = check_server(base, n, records, first, second)
            if records["VEVENT"]:
                check_khal(work, n, records["VEVENT"], first, second)
            if records["VCARD"]:
                check_khard(work, n, work / "store" / "collection-root" / book.strip("/"), records["VCARD"])
    finally:
        server.terminate()
        server.wait(timeout=30)
    for f in export_check.failures[:60]:
        print(f)
    return 1 if export_check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
