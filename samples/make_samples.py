#!/usr/bin/env python3
"""Writes the sample transfers: what a PDA sends, in Shift-JIS, each line ended by CR LF."""
import pathlib

US = "\x1f"
HERE = pathlib.Path(__file__).parent


def line(*fields):
    return ",".join('"%s"' % f for f in fields) + "\r\n"


def write(name, text):
    (HERE / name).write_bytes(text.encode("cp932"))


address = line("I", "CTGR", "NAME", "FRIG", "TEL1", "ZIPC", "ADR1", "CMPY", "SECT", "POST",
               "MAIL", "BRTH", "MEMO")
address += line("T", "", "名前", "ﾌﾘｶﾞﾅ", "電話", "〒", "住所", "会社", "部署", "役職", "メール",
                "誕生日", "メモ")
people = [
    ("山田 太郎", "ﾔﾏﾀﾞ ﾀﾛｳ", "03-1234-5678", "100-0001", "東京都千代田区千代田1-1", "株式会社フェンモア",
     "営業部", "課長", "yamada@example.jp", "19700401", "年賀状は毎年" + US + "12月に送る"),
    ("佐藤 花子", "ｻﾄｳ ﾊﾅｺ", "06-9876-5432", "530-0001", "大阪府大阪市北区梅田2-2", "", "", "",
     "hanako@example.jp", "19851123", "大学の同期､テニス部｡"),
    ("鈴木 一郎", "ｽｽﾞｷ ｲﾁﾛｳ", "011-222-3333", "060-0001", "北海道札幌市中央区北1条西", "鈴木商店",
     "", "店主", "", "", "～ 取引先 ～"),
]
for p in people:
    address += line("D", "0", *p)
write("pi-address-book.cap", address)

schedule = line("M", "", "", "", "", "", "SCHEDULE", "", "", "20240301090000")
entries = [
    ("202403051000", "202403051130", "営業会議" + US + "第3会議室", ""),
    ("202403051400", "202403051500", "ﾌｪﾝﾓｱ社と打合せ", "重要"),
    ("20240306", "", "創立記念日", ""),
    ("202403070900", "202403091800", "出張：札幌", ""),
]
for start, end, text, mark in entries:
    schedule += line("D", "", "", "", "", "", "", start, end, text, "", "", "", mark)
write("mi-schedule.cap", schedule)

# "{\rtf1 打合せメモ}" in the four-characters-for-three-bytes encoding.
ALPHABET = "012345ABCDEFGHIJKLMNOPQRSTUVWXYZ6789:;abcdefghijklmnopqrstuvwxyz"


def four_to_three(data):
    out = []
    for i in range(0, len(data), 3):
        group = data[i:i + 3]
        top = 0
        for k, b in enumerate(group):
            out.append(ALPHABET[b & 63])
            top |= (b >> 6) << (4 - 2 * k)
        out.append(ALPHABET[top])
    return "".join(out)


rtf = "{\\rtf1\\ansi\\ansicpg932 打合せメモ\\par 3月5日 10:00 第3会議室\\par}".encode("cp932")
document = line("M", "", "", "", "", "", "WORDPRO", "", "", "20240305103000")
document += line("D", "", "", "20240305013000", "", "", "", "", "打合せメモ", four_to_three(rtf))
write("mi-document.cap", document)
