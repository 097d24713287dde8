#!/usr/bin/env python3
"""Writes the hand-made seeds of corpus/<target>/: each is what the target reads, its choices
(options, block size, dates) encoded at the end of the input as the target takes them."""
import pathlib

HERE = pathlib.Path(__file__).parent / "corpus"
US, RS, FF = "\x1f", "\x1e", "\x0c"
ALPHABET = "012345ABCDEFGHIJKLMNOPQRSTUVWXYZ6789:;abcdefghijklmnopqrstuvwxyz"


def write(target, name, data):
    folder = HERE / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def sjis(text):
    return text.encode("cp932")


def line(*fields):
    return sjis(",".join('"%s"' % f for f in fields)) + b"\r\n"


def four_to_three(data):
    out = []
    for i in range(0, len(data), 3):
        top = 0
        for k, b in enumerate(data[i:i + 3]):
            out.append(ALPHABET[b & 63])
            top |= (b >> 6) << (4 - 2 * k)
        out.append(ALPHABET[top])
    return "".join(out)


def text_choice(seq, text):
    if text is None:
        seq.append(0)
        return
    b = sjis(text)
    seq += [1, len(b)] + list(b)


TEXTS = ["txCR", "txKAK", "txYMD", "txYMD2", "txSEPA0", "txSEPA1", "txSEPA2", "txSEPA3", "txDF1", "txDF2"]


def transfer_tail(checks, opF=0, opCSV=0, opSEPA=1, texts=None, fme=None, block=512, two=False,
                  same=False, split=128):
    """checks: values of ckHK, ckKUTO, ckSF0, ckSF1, ckSF2, ckCSVD, ckHkana in that order."""
    seq = []
    for v in checks:
        seq += [3] if v == 2 else [0, v]
    seq += [opF, opCSV, opSEPA]
    texts = texts or {}
    for t in TEXTS:
        text_choice(seq, texts.get(t))
    text_choice(seq, fme)
    seq += [(block - 1) // 4, (block - 1) % 4, int(two), int(same)]
    if two:
        seq.append(split)
    return bytes(reversed(seq))


def transfers():
    rtf = sjis("{\\rtf1 memo\\par}")
    doc = line("M", "", "", "", "", "", "WORDPRO", "", "", "20240305103000")
    for title, stamp in [("../escape", "20240305013000"), ("a/b", "../../x"), ("..", "/tmp/y"),
                         ("長い題名" * 40, "20240305013000"), ("tab\there", "1\t2"), ("memo", "20240305013000"),
                         ("memo", "20240305013000")]:
        doc += line("D", "", "", stamp, "", "", "", "", title, four_to_three(rtf))
    doc += b'"D","","","20240305","","","","","\x81\x20bad","vWmP"\r\n'
    write("transfer", "documents-hostile", doc + transfer_tail([0, 1, 1, 1, 1, 0, 1]))

    sched = line("M", "", "", "", "", "", "SCHEDULE", "", "", "20240301090000")
    sched += line("D", "", "", "", "", "", "", "202403051000", "202403051130", "会議" + US + "第3", "", "", "", "重要")
    sched += line("D", "", "", "", "", "", "", "20240230", "", "bad date", "", "", "", "")
    sched += line("M", "", "", "", "", "", "REPORT", "", "FLER", "20240301090000")
    sched += line("D", "", "", "", "", "", "", "99991231200000", "", "last" + RS + FF, "", "", "", "")
    write("transfer", "schedule-as-values-two-transfers",
          sched + transfer_tail([0, 0, 1, 1, 1, 1, 0], opCSV=1, texts={"txYMD2": "yyyy/mm/dd", "txCR": "|"},
                                block=1, two=True, split=120))

    # An entry closes after 1001 bytes: the character at bytes 1000 and 1001 is cut in two.
    address = line("I", "CTGR", "NAME", "FRIG", "TEL1", "ZIPC", "BRTH", "TIM1")
    filler = 1000 - len(address) - len(b'"D","0","') - 1
    address += b'"D","0","' + b"x" * filler + sjis("山田") + b'","\xb6\xde\xec\xaa","1","19700401","20240305"\r\n'
    address += line("D", "0", "ｱｲｳ､｡", "ﾊﾟﾋﾟ", "", "", "20240231", "")
    write("transfer", "address-book-cut-character", address + transfer_tail([0, 1, 1, 1, 0, 0, 0], block=1))
    write("transfer", "address-book-kana-chosen-name",
          address + transfer_tail([1, 1, 1, 1, 2, 2, 1], opF=1, fme="chosen.csv", texts={"txKAK": "TSV"},
                                  block=7))

    # Receive events of 800 bytes: entries of 1600 bytes, the raw file's line ends inside records.
    write("transfer", "address-book-large-blocks",
          address * 3 + transfer_tail([0, 0, 1, 1, 1, 0, 0], block=800))

    mixed = line("M", "", "", "", "", "", "QUERY", "", "", "x")
    mixed += line("C", "NAME", "TIME", "TIME")
    mixed += line("M", "", "", "", "", "", "ADDRESS", "", "", "20240301")
    mixed += line("T", "名前", "変更", "誕生日")
    mixed += line("D", "a", "20240305120000", "19991231") + b'x,"stray"\r\n' + line("i", "", "", "", "", "PRTY")
    write("transfer", "unsupported-then-address-book",
          mixed + transfer_tail([0, 0, 0, 1, 1, 0, 0], opSEPA=2, texts={"txSEPA1": "-", "txDF2": "raw"}, block=64))


def parser_lines():
    tail = bytes([0, 0])  # the text of txCR not chosen, fgCSV clear
    write("line_parser", "fields", b'"D","abc",,"x,y",""\r"a"b","c"\r"say ""hi""","z"\r"abc" \r' + tail)
    write("line_parser", "controls", b'\n"D","a\x1fb","c\x1e\x1ed","e\x0c\x0cf"\x1a\r' + bytes([1, 1, 1]) + b"|" + bytes([1]))
    write("line_parser", "many-fields", b",".join(b'"%d"' % i for i in range(40)) + tail)
    write("line_parser", "built-fields", b'a\x00b"\x00\x00"c\x00d\x1fe\x00' + sjis("漢字") + tail)


def documents():
    def tail(receives, existing, title_case, stamp_case):
        return bytes(reversed([receives, existing, title_case, stamp_case]))
    rtf = four_to_three(sjis("{\\rtf1 ok}"))
    write("document", "plain", b"memo\x0020010315123045\x00vWmPAa" + tail(0, 0, 0, 0))
    write("document", "taken-names", b"memo\x0020010315123045\x00" + rtf.encode() + tail(2, 3, 0, 0))
    write("document", "parent-folder", b"x\x00y\x00vWmPA" + tail(1, 0, 1, 2))
    write("document", "separator-in-stamp", b"a.b\x00../../etc\x00" + rtf.encode() + tail(0, 1, 0, 5))
    write("document", "long-title", sjis("打合せメモ") + b"\x0020240305\x00" + rtf.encode() + tail(1, 0, 3, 0))
    write("document", "not-shift-jis", b"\x81\x20\xff\x00\x81\x00 v m P" + tail(0, 0, 0, 6))


def configs():
    lines = ["' Config.File for Fenmor", "1.23", "1000,6480,2000,7680", '"",""', "0", "3,13",
             '"/tmp/out/"', '"yyyymmdd-hhnnss"', '"ZZyyyymmdd-hhnnss"', "1,0", "0", "0", '"/","CSV"',
             '"yyyy-mm-dd(aaa)"', "1", '"2","=","60","1"', "1", "1000,200", "1,1", "1", "1", " 0 ",
             "yyyy/mm/dd hh:nn", " 1 ", " 1 ", "!", " 1 ", "#", "#", "#", "#", "#"]
    text = "\r\n".join(lines) + "\r\n"
    write("config", "saved", sjis(text))
    write("config", "hash-marker", sjis("\r\n".join(lines[:25] + ["#"]) + "\r\n"))
    write("config", "ends-early", sjis("\r\n".join(lines[:25]) + "\r\n"))
    write("config", "line-feeds-and-empty-fields",
          sjis("\n".join(lines[:6] + ['""', '"a"', '"b"', ",", "1", "1", '"",""', '""'] + lines[14:22] + [""] +
                         lines[23:]) + "\n"))
    odd = list(lines)
    odd[6] = '"C:\\データ\\"'
    odd[5] = "-1,-1"
    odd[17] = "-5,99999"
    write("config", "windows-folder-no-lists", sjis("\r\n".join(odd) + "\r\n"))


def patterns():
    def tail(year, month, day, hour, minute, second, near_end, length, hours, spaces):
        # The order the target reads: the moment, the end of 9999 or not, then zDF's choices.
        y = year - 100
        seq = [y >> 8, y & 255, month - 1, day - 1, hour, minute, second, 0 if near_end else 1]
        if near_end:
            seq.append(near_end - 1)  # 1: 31 December 9999, 2: the day before
        return bytes(reversed(seq + [length, hours, spaces, 0]))
    for name, pattern, t in [
            ("document-date", "yyyy-mm-dd(aaa)", tail(1924, 2, 29, 23, 59, 59, 0, 2, 1, 2)),
            ("separated-values", "yyyy/mm/dd hh:nn", tail(2000, 12, 31, 0, 0, 0, 0, 1, 0, 0)),
            ("file-name", "ZZyyyymmdd-hhnnss", tail(100, 1, 1, 12, 30, 45, 0, 0, 1, 0)),
            ("markers", "h:m AM/PM a/p hh:mm", tail(5000, 5, 5, 13, 5, 6, 0, 2, 1, 1)),
            ("long-tokens", '"quoted" \\y mmmm dddd aaaa ww w q y yy yyy', tail(300, 11, 28, 1, 2, 3, 0, 1, 1, 0)),
            ("digits", "19980315123045  ", tail(9000, 1, 1, 0, 0, 0, 0, 2, 1, 0)),
            ("end-of-9999", "yyyy/mm/dd", tail(9999, 12, 31, 20, 0, 0, 1, 1, 1, 0))]:
        write("date_pattern", name, pattern.encode("cp932") + t)


def exporter_tail(vcard3=False, system_zone=False, charset=0, hkana=0, csvd=0, block=512, map_size=0):
    seq = [int(vcard3), int(system_zone), charset, hkana, csvd, (block - 1) // 4, (block - 1) % 4,
           map_size >> 8, map_size & 255]
    return bytes(reversed(seq))


def exported(name, transfer, column_map, **choices):
    """A transfer, then the map's lines (kind, column, type or tag, title, meaning) in UTF-8."""
    text = "".join("\t".join(map(str, row)) + "\n" for row in column_map).encode("utf-8")
    write("exporter", name, transfer + text + exporter_tail(map_size=len(text), **choices))


def exports():
    book = line("I", "RECN", "CTGR", "", "", "CTGR", "NAME")
    book += line("D", "1", "", "", "", "1", "仕事") + line("D", "2", "", "", "", "2", "家族")
    book += line("I", "RECN", "CTGR", "NAME", "FURI", "ZIPC", "TEL1", "TEL2", "MEMO", "LTDY")
    book += line("D", "1", "1", "山田, 太郎 ﾀﾛ", "ﾔﾏﾀﾞ ﾀﾛｳ", "100-0001", "03-1234-5678", "090-1111-2222",
                 "1行目" + US + "ｶﾞｷﾞｸﾞ､長いメモ; \\" * 6, "202403021015")
    book += line("D", "2", "取引先", "", "", "", "", "", "名前なし", "202403021015")
    exported("pi-address-book", book,
             [("PA", 8, "TEL2", "", "mobile"), ("PA", 9, "MEMO", "", "note"), ("PA", 5, "FURI", "", "nickname"),
              ("PA", 40, "X", "", "name"), ("broken",)],
             block=7, charset=1)

    plan = line("I", "SEQN", "STDY", "ENDY", "ALTM", "ALON", "SUBJ", "CTG1", "MEMO")
    plan += line("D", "1", "202403051000", "202403051100", "0", "5", "会議" + US + "第3会議室", "仕事", "資料")
    plan += line("D", "2", "20240306", "", "1", "15", "打合せ " * 30, "3", "")
    plan += line("D", "3", "", "202403071500", "1", "", "終わりだけ", "", "")
    exported("pi-schedule", plan,
             [("PS", 2, "SEQN", "", "record-number"), ("PS", 5, "ALTM", "", "alarm-on"),
              ("PS", 6, "ALON", "", "alarm-minutes"), ("PS", 9, "MEMO", "", "note"), ("PS", 3, "STDY", "", "cake")],
             system_zone=True, block=64)

    mi = line("M", "MI", "1", "", "", "", "SCHEDULE", "2", "", "20240301090000")
    mi += line("C", "NUMB", "CHAR", "TIME", "CHAR", "CHAR", "CHAR", "TIME", "TIME", "CHAR", "CHAR", "CHAR",
               "CHAR", "CHAR")
    mi += line("T", "番号", "", "更新日時", "", "", "", "開始", "終了", "内容", "メモ", "予告", "予告ON", "分類")
    mi += line("D", "1", "", "20240302101500", "", "", "", "202403051400", "202403051500", "打合せ", "資料を持参",
               "10", "1", "ﾌﾟﾗｲﾍﾞｰﾄ")
    mi += line("D", "2", "", "20240302101500", "", "", "", "20240306", "", "創立記念日", "", "", "0", "")
    exported("mi-schedule", mi,
             [("MS", 11, "CHAR", "メモ", "memo"), ("MS", 12, "CHAR", "予告", "alarm-minutes"),
              ("MS", 13, "CHAR", "予告ON", "alarm-on"), ("MS", 14, "CHAR", "分類", "category")],
             hkana=1, block=1000)

    todo = line("M", "MI", "1", "", "", "", "TODO LIST", "3", "", "20010316090512")
    todo += line("T", "", "", "", "", "", "", "件名", "期限", "完了", "優先度", "分類", "ﾒﾓ")
    todo += line("D", "1", "", "", "", "", "", "見積書, 送付; 至急", "200103201700", "0", "1", "仕事", "山崎さん")
    todo += line("D", "2", "", "", "", "", "", "", "20010231", "済", "?", "", "件名なし")
    todo += line("I", "RECN", "ITEM", "FNDY", "CHCK", "PRTY", "ETDY", "LTDY", "MEMO")
    todo += line("D", "1", "請求書の発行", "20240305", "1", "1", "20240310", "202403021015", "2月分")
    exported("action-lists", todo,
             [("MT", 12, "", "優先度", "priority"), ("MT", 13, "", "分類", "category"),
              ("PT", 3, "ITEM", "", "subject"), ("PT", 9, "MEMO", "", "note")],
             vcard3=True, csvd=1, charset=2, block=33)


transfers()
parser_lines()
documents()
configs()
patterns()
exports()
