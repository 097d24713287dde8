#!/usr/bin/python3
"""Reads the .ics and .vcf files fenmor-convert writes with independent parsers and finds every
field of every record of the capture in them; the Shift-JIS files of the same run must not change.

    export_check.py convert TOOL WORKDIR CAPTURE...   convert and check each capture
    export_check.py expect FILE.json                  check files against written expectations
"""
import datetime
import json
import os
import pathlib
import re
import subprocess
import sys
import unicodedata

import icalendar
import vobject

NOW = "2024-03-05 14:07:09"
KANA_TABLE = ("ｶﾞ??ｷﾞ??ｸﾞ??ｹﾞ??ｺﾞ??ｻﾞ??ｼﾞ??ｽﾞ??ｾﾞ??ｿﾞ??ﾀﾞ??ﾁﾞ????ﾂﾞ??ﾃﾞ??ﾄﾞ"
              "????????????ﾊﾞﾊﾟ??ﾋﾞﾋﾟ??ﾌﾞﾌﾟ??ﾍﾞﾍﾟ??ﾎﾞﾎﾟｳﾞ")
TIME_TAGS = {"TIM1", "TIM2", "BRTH", "ETDY", "FNDY", "LTDY"}
failures = []


def fail(where, text):
    failures.append(f"{where}: {text}")


def norm(text):
    """Width-folded, one kind of line break, no spaces: how a value is looked for."""
    t = unicodedata.normalize("NFKC", str(text)).replace("\r\n", "\n").replace("\r", "\n")
    return re.sub(r"\s+", "", t)


# --- the capture, read on its own -------------------------------------------------------------

def pi_kana(data):
    """The PI series sends a voiced half-width katakana as 0xEC and a code byte."""
    out = bytearray()
    i = 0
    while i < len(data):
        if data[i] == 0xEC and i + 1 < len(data):
            k = 51 if data[i + 1] == 0xF2 else data[i + 1] - 0xA9
            pair = KANA_TABLE[2 * k - 2:2 * k] if 1 <= k <= 51 else "??"
            if pair != "??":
                out += pair.encode("cp932")
                i += 2
                continue
        out.append(data[i])
        i += 1
    return bytes(out)


def fields_of(line):
    line = line.replace("\x1f", "\n").replace("\x1e", "").replace("\x0c", "")
    fields, pos = [], 0
    while pos < len(line) and len(fields) < 31:
        c = line[pos]
        if c == '"':
            end = line.find('",', pos + 1)
            if end < 0:
                value, pos = line[pos + 1:], len(line)
                if value.endswith('"'):
                    value = value[:-1]
            else:
                value, pos = line[pos + 1:end], end + 2
            fields.append(value)
        elif c == ",":
            fields.append("")
            pos += 1
        else:
            pos += 1
    return [""] + fields + [""] * (32 - len(fields))  # slot k is fields[k]


def kind_of(record):
    if record[1] in ("I", "i"):
        return {"ALON": "PS", "CLSC": "PR", "ZIPC": "PA", "FAX1": "PN", "PRTY": "PT"}.get(record[6], "")
    name = record[7]
    if len(name) > 4:
        letter = "R" if name[0] == "F" and record[5] == "FLER" else name[0]
        return "M" + letter if letter in "SRFATW" else ""
    return ""


def data_sets(capture):
    text = pi_kana(capture.read_bytes()).decode("cp932", errors="replace")
    text = text.replace("､", "、").replace("｡", "。")
    sets = []
    for line in text.split("\r"):
        record = fields_of(line)
        kind = record[1]
        if kind in ("I", "i", "M"):
            table = kind != "M" and record[6] == "CTGR"  # the category table: no records
            tags = [t.strip() for t in record] if kind != "M" else [""] * 32
            sets.append({"kind": "" if table else kind_of(record), "tags": tags, "titles": [""] * 32,
                         "types": ["TIME" if t in TIME_TAGS else "" for t in tags], "records": []})
        elif kind == "T" and sets:
            sets[-1]["titles"] = [t.strip() for t in record]
        elif kind == "C" and sets:
            sets[-1]["types"] = [t.strip() for t in record]
        elif kind == "D" and sets and sets[-1]["kind"]:
            sets[-1]["records"].append(record)
    return sets


def pda_time(value):
    v = value.strip()
    if not re.fullmatch(r"\d{8}(\d{4}(\d{2})?)?", v):
        return None
    try:
        return datetime.datetime(int(v[:4]), int(v[4:6]), int(v[6:8]),
                                 int(v[8:10] or 0), int(v[10:12] or 0), int(v[12:14] or 0))
    except ValueError:
        return None


def shown_forms(value, slot, types):
    """A value as it may stand in a note: as received, or a date as the CSV file shows it."""
    forms = [value]
    t = pda_time(value) if types[slot] == "TIME" else None
    if t:
        t += datetime.timedelta(hours=9 if slot == 4 else 0)
        forms.append(t.strftime("%Y/%m/%d %H:%M"))
    return forms


# --- the written files ------------------------------------------------------------------------

def check_lines(path):
    """Every physical line ends with CR LF, is UTF-8 and at most 75 octets long."""
    data = path.read_bytes()
    if not data.endswith(b"\r\n"):
        fail(path.name, "does not end with CR LF")
    for n, line in enumerate(data.split(b"\r\n")[:-1], 1):
        if b"\n" in line or b"\r" in line:
            fail(path.name, f"line {n}: a bare line break")
        if len(line) > 75:
            fail(path.name, f"line {n}: {len(line)} octets")
        try:
            line.decode("utf-8")
        except UnicodeDecodeError:
            fail(path.name, f"line {n}: a UTF-8 sequence split by folding")


def digits_of(value):
    if isinstance(value, datetime.datetime):
        return [value.strftime("%Y%m%d%H%M"), value.strftime("%Y%m%d%H%M%S"), value.strftime("%Y%m%d")]
    if isinstance(value, datetime.date):
        return [value.strftime("%Y%m%d")]
    return []


def found(value, slot, types, haystack, dates):
    v = value.strip().replace('""', '"')
    if not v.strip("0"):  # empty, or bookkeeping that holds nothing
        return True
    if any(norm(f) in haystack for f in shown_forms(v, slot, types)):
        return True
    return v in dates


def check_event(where, record, kind, ev):
    start, end, text = (3, 4, 7) if kind == "PS" else (8, 9, 10)
    s, e = pda_time(record[start]), pda_time(record[end])
    dtstart = ev.get("DTSTART").dt
    summary, description = str(ev.get("SUMMARY", "")), str(ev.get("DESCRIPTION", ""))
    haystack = norm(summary + "\n" + description)
    check_quotes(where, haystack)
    check_note(where, description)
    for line in record[text].split("\n"):
        if norm(line) not in haystack:
            fail(where, f"text line {line!r} not in the event")
    for slot in (start, end):
        if record[slot].strip() and not pda_time(record[slot]) and norm(record[slot]) not in haystack:
            fail(where, f"bad date {record[slot]!r} not kept in the description")
    mark = record[14].strip()
    kept = ([str(c) for c in ev.get("CATEGORIES").cats] if ev.get("CATEGORIES") else []) + \
        [str(ev.get("X-FENMOR-MARK", ""))]
    if mark and mark not in kept:
        fail(where, f"mark {mark!r} neither in CATEGORIES nor X-FENMOR-MARK")
    if not s:
        return
    all_day = not isinstance(dtstart, datetime.datetime)
    if (dtstart if all_day else dtstart.date()) != s.date():
        fail(where, f"DTSTART {dtstart} for {record[start]}")
    if not all_day and len(record[start].strip()) > 8 and dtstart.replace(tzinfo=None) != s:
        fail(where, f"DTSTART {dtstart} for {record[start]}")
    dtend = ev.get("DTEND").dt if ev.get("DTEND") else None
    if all_day:
        last = e.date() if e and e.date() >= s.date() else s.date()
        if dtend != last + datetime.timedelta(days=1):
            fail(where, f"all-day DTEND {dtend} for {record[start]}..{record[end]}")
    elif e and len(record[end].strip()) > 8 and e > s and dtend.replace(tzinfo=None) != e:
        fail(where, f"DTEND {dtend} for {record[end]}")


def component_text(component, names):
    parts, dates = [], []
    for name, value in component.property_items(recursive=False):
        if name in ("DTSTART", "DTEND", "DUE", "COMPLETED", "LAST-MODIFIED"):
            dates += digits_of(icalendar.vDDDTypes.from_ical(value.to_ical().decode()))
        elif name == "CATEGORIES":
            parts += [str(c) for c in value.cats]
        elif name in names or name.startswith("X-"):
            parts.append(str(value))
    return norm("\n".join(parts)), dates


BOOKKEEPING = re.compile(r"(^|\n)(番号|属性|秘密|更新日時|CTGR|RECN|No\.|完了|LTDY): ")


def check_quotes(where, haystack):
    if '""' in haystack:
        fail(where, "a quote of the line format left doubled")


def check_note(where, note):
    if BOOKKEEPING.search(str(note)):
        fail(where, f"bookkeeping in a note: {str(note)[:120]!r}")


def check_todo(where, record, data_set, todo):
    check_note(where, todo.get("DESCRIPTION", ""))
    haystack, dates = component_text(todo, ("SUMMARY", "DESCRIPTION", "PRIORITY"))
    check_quotes(where, haystack)
    for k in range(2, 32):
        if not found(record[k], k, data_set["types"], haystack, dates):
            fail(where, f"field {k} {record[k]!r} not in the task")
    if todo.get("STATUS") not in ("COMPLETED", "NEEDS-ACTION"):
        fail(where, "no STATUS")


def card_text(card):
    parts, dates = [], []
    for name, lines in card.contents.items():
        for line in lines:
            value = line.value
            if name == "n":
                parts += [value.family, value.given]
            elif name == "adr":
                parts += [value.street, value.extended, value.code, value.city, value.region]
            elif name in ("bday", "rev"):
                digits = re.sub(r"\D", "", str(value))
                dates += [digits, digits[:12], digits[:8]]
            elif isinstance(value, list):
                parts += [str(v) for v in value]
            else:
                parts.append(str(value))
    return norm("\n".join(str(p) for p in parts)), dates


def column(data_set, tags, titles):
    for k in range(2, 32):
        if data_set["tags"][k] in tags or norm(data_set["titles"][k]) in titles:
            return k
    return None


def check_card(where, record, data_set, card):
    if "note" in card.contents:
        check_note(where, card.note.value)
    haystack, dates = card_text(card)
    check_quotes(where, haystack)
    for k in range(2, 32):
        if not found(record[k], k, data_set["types"], haystack, dates):
            fail(where, f"field {k} {record[k]!r} not in the card")
    name = column(data_set, {"NAME"}, {"氏名", "名前"})
    company = column(data_set, {"CMPY", "CORP"}, {"会社", "会社名"})
    skip = set(range(2, 8)) if data_set["kind"].startswith("M") else set()
    skip |= {k for k in range(2, 32) if data_set["tags"][k] in ("RECN", "CTGR", "LTDY", "TIM1")}
    first = next((record[k].strip() for k in range(2, 32) if record[k].strip() and k not in skip), None)
    expected = (record[name].strip() if name and record[name].strip() else
                record[company].strip() if company and record[company].strip() else first)
    if expected and norm(card.fn.value) != norm(expected.replace('""', '"')):
        fail(where, f"FN {card.fn.value!r}, expected {expected!r}")
    reading = column(data_set, {"FRIG", "KANA"}, {"フリガナ"})
    if reading and record[reading].strip():
        phonetic = "".join(card.contents[p][0].value for p in ("x-phonetic-last-name", "x-phonetic-first-name")
                           if p in card.contents)
        wide = unicodedata.normalize("NFKC", record[reading]).replace(" ", "").replace("\u3000", "")
        if phonetic != wide or any("\uff61" <= c <= "\uff9f" for c in phonetic):
            fail(where, f"phonetic name {phonetic!r} for {record[reading]!r}")


def check_calendar(capture, path, sets, expect_uids=None):
    check_lines(path)
    cal = icalendar.Calendar.from_ical(path.read_bytes())
    events = [c for c in cal.walk() if c.name in ("VEVENT", "VTODO")]
    wanted = [(s, r) for s in sets if s["kind"][1:] in ("S", "T") for r in s["records"]]
    if len(events) != len(wanted):
        fail(path.name, f"{len(events)} items for {len(wanted)} records")
    uids = [str(e.get("UID")) for e in events]
    if len(set(uids)) != len(uids):
        fail(path.name, "UIDs repeat")
    for n, ((data_set, record), item) in enumerate(zip(wanted, events), 1):
        where = f"{capture.name} {path.suffix} item {n}"
        for required in ("UID", "DTSTAMP"):
            if required not in item:
                fail(where, f"no {required}")
        if data_set["kind"][1] == "S":
            if item.name != "VEVENT" or "DTSTART" not in item:
                fail(where, "not an event with a start")
            else:
                check_event(where, record, data_set["kind"], item)
        else:
            check_todo(where, record, data_set, item)
    return uids


def check_cards(capture, path, sets, version):
    check_lines(path)
    cards = list(vobject.readComponents(path.read_text(encoding="utf-8")))
    wanted = [(s, r) for s in sets if s["kind"][1:] == "A" for r in s["records"]]
    if len(cards) != len(wanted):
        fail(path.name, f"{len(cards)} cards for {len(wanted)} records")
    for n, ((data_set, record), card) in enumerate(zip(wanted, cards), 1):
        where = f"{capture.name} card {n}"
        if card.version.value != version:
            fail(where, f"VERSION {card.version.value}")
        for required in ("fn", "n", "uid"):
            if required not in card.contents:
                fail(where, f"no {required.upper()}")
        check_card(where, record, data_set, card)
    return [c.uid.value for c in cards]


# --- runs -------------------------------------------------------------------------------------

def convert(tool, out, capture, *options):
    out.mkdir(parents=True, exist_ok=True)
    run = subprocess.run([tool, "--out", str(out), "--now", NOW, *options, str(capture)],
                         capture_output=True, timeout=120, env=dict(os.environ, TZ="UTC"))
    if run.returncode != 0:
        fail(capture.name, f"{' '.join(options)}: exit {run.returncode} {run.stderr.decode()}")
    return {p.name: p for p in out.iterdir()}


def same_text(where, sjis, utf8):
    """The UTF-8 file says what the Shift-JIS one says; where that has "?", a character it lacks."""
    a, b = sjis.decode("cp932", errors="replace"), utf8.decode("utf-8")
    if len(a) != len(b):
        fail(where, "the UTF-8 file differs in length from the Shift-JIS file")
        return
    for x, y in zip(a, b):
        if x != y and not (x == "?" and not can_encode(y)):
            fail(where, f"{y!r} written as {x!r}")
            return


def can_encode(c):
    try:
        c.encode("cp932")
        return True
    except UnicodeEncodeError:
        return False


def check_capture(tool, work, capture):
    sets = data_sets(capture)
    plain = convert(tool, work / "plain", capture)
    sjis = convert(tool, work / "sjis", capture, "--ics", "--vcf")
    utf8 = convert(tool, work / "utf8", capture, "--encoding", "utf-8", "--ics", "--vcf")
    bom = convert(tool, work / "bom", capture, "--encoding", "utf-8-bom", "--vcf", "--vcard-version", "3")
    for name, path in plain.items():
        if name not in sjis or sjis[name].read_bytes() != path.read_bytes():
            fail(capture.name, f"{name} changed by --ics --vcf")
        if path.suffix.upper() in (".CSV", ".TXT"):
            same_text(f"{capture.name} {name}", path.read_bytes(), utf8[name].read_bytes())
            if bom[name].read_bytes() != b"\xef\xbb\xbf" + utf8[name].read_bytes():
                fail(capture.name, f"{name}: the UTF-8 file with BOM is not BOM + UTF-8")
    extra = {n for n in utf8 if n not in plain}
    kinds = {s["kind"][1] for s in sets if s["records"]}
    want = ({".ics"} if kinds & {"S", "T"} else set()) | ({".vcf"} if "A" in kinds else set())
    if {pathlib.Path(n).suffix for n in extra} != want:
        fail(capture.name, f"extra files {sorted(extra)}, expected {sorted(want)}")
    for name in extra:
        if name.endswith(".ics"):
            uids = check_calendar(capture, utf8[name], sets)
            if check_calendar(capture, sjis[name], sets) != uids:
                fail(capture.name, "UIDs differ between two conversions of the same transfer")
        else:
            uids = check_cards(capture, utf8[name], sets, "4.0")
            if check_cards(capture, sjis[name], sets, "4.0") != uids:
                fail(capture.name, "UIDs differ between two conversions of the same transfer")
            check_cards(capture, bom[name], sets, "3.0")


def check_expected(spec):
    """Properties written by the test itself, for text that Shift-JIS could not carry."""
    for entry in json.loads(pathlib.Path(spec).read_text(encoding="utf-8")):
        path = pathlib.Path(entry["file"])
        check_lines(path)
        if path.suffix == ".vcf":
            items = [{k: "\n".join(str(line.value) if not isinstance(line.value, list) else
                                   ",".join(line.value) for line in lines)
                      for k, lines in c.contents.items()}
                     for c in vobject.readComponents(path.read_text(encoding="utf-8"))]
            items = [{k.upper(): v for k, v in i.items()} for i in items]
        else:
            cal = icalendar.Calendar.from_ical(path.read_bytes())
            items = [{k: (",".join(str(c) for c in v.cats) if k == "CATEGORIES" else
                          v.to_ical().decode() if hasattr(v, "dt") else str(v))
                      for k, v in c.property_items(recursive=False)}
                     for c in cal.walk() if c.name in ("VEVENT", "VTODO")]
        if len(items) != len(entry["items"]):
            fail(path.name, f"{len(items)} items, expected {len(entry['items'])}")
        for n, (got, want) in enumerate(zip(items, entry["items"]), 1):
            for key, value in want.items():
                if got.get(key) != value:
                    fail(f"{path.name} item {n}", f"{key} {got.get(key)!r}, expected {value!r}")


def main():
    if len(sys.argv) >= 5 and sys.argv[1] == "convert":
        tool, work = sys.argv[2], pathlib.Path(sys.argv[3])
        for capture in map(pathlib.Path, sys.argv[4:]):
            check_capture(tool, work / capture.stem, capture)
    elif len(sys.argv) == 3 and sys.argv[1] == "expect":
        check_expected(sys.argv[2])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for f in failures[:60]:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
