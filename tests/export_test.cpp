// The files beside the specified ones: content lines, calendar items, the character set of text
// files, and every .ics and .vcf file read back with Python's icalendar and vobject.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <ctime>

#include "core/received_buffer.h"
#include "export/calendar_items.h"
#include "export/content_lines.h"
#include "export/exporter.h"
#include "export/field_meanings.h"
#include "export/vcard_writer.h"
#include "tests/support/fakes.h"
#include "tests/support/transfers.h"

namespace fenmor::test {
namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(ContentLines, FoldsAt75OctetsWithoutSplittingACharacter) {
    const QString rows[] = {
        QString(200, u'a'),
        Q("NOTE:") + Q("年賀状").repeated(40),
        Q("NOTE:a") + Q("𠮷野家😀").repeated(30),  // four-octet sequences at every offset
        Q("NOTE:ab") + Q("ｱ").repeated(100),
        Q("SHORT"),
    };
    for (const QString& row : rows) {
        const QByteArray folded = FoldLine(row.toUtf8());
        ASSERT_TRUE(folded.endsWith("\r\n"));
        QByteArray unfolded;
        const QList<QByteArray> lines = folded.chopped(2).split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QByteArray line = lines[i];
            if (i + 1 < lines.size()) {
                ASSERT_TRUE(line.endsWith('\r'));
                line.chop(1);
            }
            EXPECT_LE(line.size(), 75) << row.toStdString();
            if (i > 0) {
                ASSERT_TRUE(line.startsWith(' '));
                line.remove(0, 1);
            }
            EXPECT_NE(static_cast<unsigned char>(line.front()) & 0xC0, 0x80) << "split character";
            unfolded += line;
        }
        EXPECT_EQ(QString::fromUtf8(unfolded), row);
    }
}

TEST(ContentLines, EscapesWhatTextValuesMayNotHold) {
    const std::pair<const char*, const char*> rows[] = {
        {"a,b;c\\d", "a\\,b\\;c\\\\d"},
        {"one\r\ntwo\nthree\rfour", "one\\ntwo\\nthree\\nfour"},
        {"\"quoted\": yes", "\"quoted\": yes"},
        {"tab\there\x1a\x7f", "tab\there"},
    };
    for (const auto& [in, out] : rows) {
        ContentLines text;
        text.addText(u"X", Q(in));
        EXPECT_EQ(text.bytes(), QByteArray("X:") + out + "\r\n") << in;
    }
    ContentLines parts;
    parts.addParts(u"N", {Q("山田"), Q("太郎;次郎")}, ';');
    EXPECT_EQ(QString::fromUtf8(parts.bytes()), Q("N:山田;太郎\\;次郎\r\n"));
}

QString Shown(const std::optional<CalendarTime>& t) {
    if (!t) return QStringLiteral("-");
    return t->date.toString(QStringLiteral("yyyyMMdd")) +
           (t->time ? t->time->toString(QStringLiteral("'T'HHmm")) : QString());
}

TEST(CalendarItems, ScheduleEntriesSpanTheirDaysAndKeepBadDates) {
    struct Row {
        const char *start, *end, *dtstart, *dtend, *kept;
    };
    const Row rows[] = {
        {"202403051000", "202403051130", "20240305T1000", "20240305T1130", ""},
        {"20240306", "", "20240306", "20240307", ""},                  // all day
        {"20240306", "20240308", "20240306", "20240309", ""},          // whole days, inclusive
        {"202403050000", "202403070000", "20240305", "20240308", ""},  // midnight is no time
        {"202403070900", "202403091800", "20240307T0900", "20240309T1800", ""},
        {"202403070900", "20240309", "20240307T0900", "20240310T0000", ""},
        {"202403051000", "202403051000", "20240305T1000", "-", ""},  // no length
        {"20010230", "20010301", "20010301", "20010302", "開始: 20010230"},
        {"2001023", "", "20240305", "20240306", "開始: 2001023"},  // the transfer's day
        {"202403051000", "202403040900", "20240305T1000", "-", "終了: 202403040900"},
        {"20240306", "20240301", "20240306", "20240307", "終了: 20240301"},
        {"", "", "20240305", "20240306", ""},
    };
    for (const Row& r : rows) {
        const CalendarItem item =
            ScheduleEntry(Q(r.start), Q(r.end), Q("会議\r\n第3会議室"), {}, QDate(2024, 3, 5));
        EXPECT_EQ(Shown(item.start), Q(r.dtstart)) << r.start << " " << r.end;
        EXPECT_EQ(Shown(item.end), Q(r.dtend)) << r.start << " " << r.end;
        EXPECT_EQ(item.summary, Q("会議"));
        EXPECT_TRUE(item.description.startsWith(Q("会議\r\n第3会議室")));
        EXPECT_EQ(item.description.contains(Q(r.kept)), true) << r.kept;
    }
}

TEST(CalendarItems, TimesAreFloatingOrTheSystemZoneInUtc) {
    const QByteArray zone = qgetenv("TZ");
    const auto restore = qScopeGuard([&] {
        qputenv("TZ", zone);
        tzset();
    });
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    const CalendarItem item = ScheduleEntry("202403050830", "202403051000", "x", {}, {});
    const QDateTime stamp(QDate(2024, 3, 5), QTime(14, 7, 9));
    const std::pair<TimeMode, const char*> rows[] = {
        {TimeMode::Floating, "DTSTART:20240305T083000\r\nDTEND:20240305T100000\r\n"},
        {TimeMode::SystemZone, "DTSTART:20240304T233000Z\r\nDTEND:20240305T010000Z\r\n"},
    };
    for (const auto& [mode, lines] : rows) {
        const QByteArray ics = CalendarOf({item}, mode, stamp);
        EXPECT_TRUE(ics.contains(lines)) << ics.toStdString();
        EXPECT_TRUE(ics.contains("DTSTAMP:20240305T050709Z\r\n"));
    }
}

TEST(FieldMeanings, TypeThenTagThenTitleThenKeywords) {
    const auto A = ListKind::AddressBook, T = ListKind::ActionList, S = ListKind::Schedule;
    struct Row {
        ListKind list;
        const char *type, *tag, *title;
        Meaning meaning;
    };
    const Row rows[] = {
        {A, "FURI", "", "", Meaning::Reading},
        {A, "", "FURI", "", Meaning::Reading},
        {A, "HZIP", "", "", Meaning::HomePostalCode},
        {A, "HTEL", "NAME", "", Meaning::HomePhone},  // the type wins over the tag
        {A, "CHAR", "", "氏名", Meaning::Name},       // a storage type says nothing
        {A, "", "TITL", "件名", Meaning::JobTitle},
        {A, "", "", "ﾌﾘｶﾞﾅ", Meaning::Reading},
        {A, "", "", "自宅〒", Meaning::HomePostalCode},
        {A, "", "", "自宅住所", Meaning::HomeAddress},
        {A, "", "", "自宅電話", Meaning::HomePhone},
        {A, "", "", "勤務先ＦＡＸ", Meaning::Fax},
        {A, "", "", "勤務先電話", Meaning::WorkPhone},
        {A, "", "", "携帯ﾒｰﾙ", Meaning::Mobile},
        {A, "", "", "ニックネーム", Meaning::Nickname},
        {A, "", "", "更新日時", Meaning::UpdateTime},
        {A, "", "", "No.", Meaning::RecordNumber},
        {A, "", "CTGR", "", Meaning::CategoryCode},
        {T, "", "TITL", "", Meaning::Subject},
        {T, "", "", "期限：", Meaning::Due},
        {T, "", "", "完了", Meaning::DoneMark},
        {T, "", "FNDY", "完了", Meaning::Completed},
        {T, "", "LTDY", "", Meaning::UpdateTime},
        {S, "", "ALTM", "", Meaning::AlarmMinutes},
        {S, "", "", "予告ON", Meaning::AlarmOn},
        {S, "", "RPTY", "", Meaning::Repeat},
        {S, "", "CTG2", "", Meaning::CategoryCode},
        {S, "", "", "秘密", Meaning::Secret},
        {S, "", "", "自宅住所", Meaning::Unknown},  // address keywords only in address books
        {A, "", "XXXX", "趣味", Meaning::Unknown},
    };
    for (const Row& r : rows)
        EXPECT_EQ(MeaningOf(r.list, Q(r.type), Q(r.tag), Q(r.title)), r.meaning)
            << r.type << r.tag << r.title;
}

Column C(Meaning m, const char* value, int slot = 10) {
    return {m, QStringLiteral("L"), Q(value), Q(value), slot};
}

QByteArray Ics(const CalendarItem& item) {
    return CalendarItemBytes(item, TimeMode::Floating,
                             QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
}

QByteArray Event(const Columns& others, const char* end = "202403051100", const char* mark = "") {
    return Ics(
        ScheduleEntry("202403051000", Q(end), Q("会議"), Q(mark), QDate(2024, 3, 5), others));
}

TEST(Mappings, WhatThePdaHoldsLandsWhereClientsReadIt) {
    using M = Meaning;
    struct Row {
        const char* what;
        QByteArray out;
        const char *present, *absent;
    };
    const Row rows[] = {
        {"alarm on", Event({C(M::AlarmMinutes, "10"), C(M::AlarmOn, "1")}),
         "BEGIN:VALARM\r\nACTION:DISPLAY\r\n", "X-FENMOR-ALARM"},
        {"alarm off", Event({C(M::AlarmMinutes, "10"), C(M::AlarmOn, "0")}), "X-FENMOR-ALARM:10",
         "VALARM"},
        {"alarm minutes", Event({C(M::AlarmMinutes, "10")}), "TRIGGER:-PT10M\r\n",
         "X-FENMOR-ALARM"},
        {"secret", Event({C(M::Secret, "1")}), "CLASS:PRIVATE", "L: "},
        {"not secret", Event({C(M::Secret, "0")}), "SUMMARY", "CLASS"},
        {"repeat kept raw", Event({C(M::Repeat, "2")}), "X-FENMOR-REPEAT:2", "RRULE"},
        {"memo after text", Event({C(M::Memo, "持参")}), "DESCRIPTION:会議\\n\\n持参", "L: "},
        {"category", Event({C(M::Category, "仕事")}), "CATEGORIES:仕事", "L: "},
        {"no end", Event({}, ""), "DTSTART:20240305T100000\r\nDURATION:PT0S", "DTEND"},
        {"end at start", Event({}, "202403051000"), "DURATION:PT0S", "DTEND"},
        {"all day", Ics(ScheduleEntry("20240305", "", Q("会議"), {}, {})),
         "DTSTART;VALUE=DATE:20240305\r\nDTEND;VALUE=DATE:20240306", "DURATION"},
        {"mark number", Event({}, "", "3"), "X-FENMOR-MARK:3", "CATEGORIES"},
        {"mark word", Event({}, "", "重要"), "CATEGORIES:重要", "X-FENMOR-MARK"},
        {"MI update time", Event({C(M::UpdateTime, "20240302101500", 4)}),
         "LAST-MODIFIED:20240302T101500Z", "X-FENMOR-UPDATED"},
        {"bookkeeping", Event({C(M::RecordNumber, "11"), C(M::Attribute, "0")}),
         "X-FENMOR-RECORD-NUMBER:11", "ATTRIBUTE"},
        {"done, date after mark",
         Ics(ActionEntry({C(M::Subject, "a"), C(M::DoneMark, "1"), C(M::Completed, "20240305")})),
         "STATUS:COMPLETED\r\nPERCENT-COMPLETE:100\r\nCOMPLETED:2024030", "NEEDS-ACTION"},
        {"open, date before mark",
         Ics(ActionEntry({C(M::Subject, "a"), C(M::Completed, "20240305"), C(M::DoneMark, "0")})),
         "STATUS:NEEDS-ACTION", "\r\nCOMPLETED:"},
        {"date alone", Ics(ActionEntry({C(M::Subject, "a"), C(M::Completed, "20240305")})),
         "STATUS:COMPLETED", "NEEDS-ACTION"},
        {"nothing done", Ics(ActionEntry({C(M::Subject, "a")})), "STATUS:NEEDS-ACTION", "PERCENT"},
        {"mark in the date's column", Ics(ActionEntry({C(M::Subject, "a"), C(M::Completed, "済")})),
         "STATUS:COMPLETED", "NEEDS-ACTION"},
        {"priority 1", Ics(ActionEntry({C(M::Priority, "1")})), "PRIORITY:1\r\n", "L: "},
        {"priority 2", Ics(ActionEntry({C(M::Priority, "2")})), "PRIORITY:5\r\n", "L: "},
        {"priority 3", Ics(ActionEntry({C(M::Priority, "3")})),
         "PRIORITY:9\r\nSTATUS:NEEDS-ACTION\r\nX-FENMOR-PRIORITY:3", "L: "},
        {"home address",
         VCardOf({C(M::HomePostalCode, "150-0001"), C(M::HomeAddress, "渋谷")}, "u", 4),
         "ADR;TYPE=home:;;渋谷;;;150-0001;", "L: "},
        {"home and work phones", VCardOf({C(M::HomePhone, "1"), C(M::WorkPhone, "2")}, "u", 4),
         "TEL;TYPE=home,voice:1\r\nTEL;TYPE=work,voice:2", "L: "},
        {"nickname", VCardOf({C(M::Name, "a"), C(M::Nickname, "じろう")}, "u", 4),
         "NICKNAME:じろう", "NOTE"},
        {"REV 4.0", VCardOf({C(M::UpdateTime, "20240302101500", 4)}, "u", 4),
         "REV:20240302T101500Z", "NOTE"},
        {"REV 3.0", VCardOf({C(M::UpdateTime, "20240302101500", 4)}, "u", 3),
         "REV:2024-03-02T10:15:00Z", "NOTE"},
        {"note for people",
         VCardOf({C(M::Name, "a"), C(M::RecordNumber, "11"), C(M::Secret, "0"), C(M::Memo, "m")},
                 "u", 4),
         "NOTE:m\r\n", "L: "},
        {"UID in 3.0", VCardOf({C(M::Name, "a")}, "u", 3), "UID:urn:uuid:u\r\n", "NOTE"},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(r.out.contains(r.present)) << r.what << "\n" << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(r.absent)) << r.what << "\n" << r.out.toStdString();
    }
}

TEST(OutputCharset, Utf8KeepsWhatShiftJisCannotHold) {
    const std::pair<OutputFile::Charset, QByteArray> rows[] = {
        {OutputFile::Charset::ShiftJis, QByteArray("\x96\xec?\xb1\r\n")},
        {OutputFile::Charset::Utf8, Q("野𠮷ｱ\r\n").toUtf8()},
        {OutputFile::Charset::Utf8WithBom, "\xEF\xBB\xBF" + Q("野𠮷ｱ\r\n").toUtf8()},
    };
    QTemporaryDir dir;
    for (const auto& [charset, bytes] : rows) {
        const QString path = dir.filePath(QStringLiteral("out.csv"));
        auto f = OutputFile::open(path, nullptr);
        f->setCharset(charset);
        f->writeLine(Q("野𠮷ｱ"));
        f.reset();
        EXPECT_EQ(ReadFile(path), bytes);
    }
}

// ---------------------------------------------------------------------------------------------
// Read back with independent parsers.

QByteArray Line(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields) quoted << u'"' + f + u'"';
    return Sjis(quoted.join(u',') + QStringLiteral("\r\n"));
}

// Records full of separators, quotes, line breaks (US), half-width kana, bad dates, no names.
QByteArray TrickyPiAddressBook() {
    QByteArray b = Line({"I", "RECN", "NAME", "FRIG", "TEL1", "ZIPC", "ADR1", "CMPY", "MAIL",
                         "BRTH", "MEMO", "TEL2", "FAXN", "URL", "SECT", "POST", "ADR2", "HOME"});
    b += Line({"T", "No.", Q("氏名"), Q("ﾌﾘｶﾞﾅ"), Q("電話"), Q("〒"), Q("住所")});
    b += Line({"D", "1", Q("山田, 太郎 \"ﾀﾛ\""), Q("ﾔﾏﾀﾞ ﾀﾛｳ"), "03-1234-5678", "100-0001",
               Q("東京都千代田区1-2-3, ﾒｿﾞﾝ;101"), Q("A;B\\C \"Q\""), "a,b@example.jp", "19700401",
               Q("1行目\x1f"
                 "2行目, \"引用\"; 3\\4\x1f") +
                   Q("ｶﾞｷﾞｸﾞ､長いメモ").repeated(12),
               "090-1", "03-2", "http://example.jp/a,b;c", Q("営業部"), Q("課長"), Q("ﾋﾞﾙ 5F"),
               "03-3"});
    b += Line({"D", "2", "", "", "06-1111-2222", "", "", Q("株式会社ﾃｽﾄ")});
    b += Line({"D", "3", "", "", "", "", "", "", "", "19980230", Q("名前も会社もない")});
    b += Line({"D", "4", Q("　"), Q("ｽｽﾞｷ"), "", "", "", "", "", "1970"});
    return b;
}

QByteArray TrickyMiAddressBook() {
    QByteArray b = Line({"M", "MI", "1", "", "", "", "ADDRESS", "2", "", "20010316090512"});
    QStringList types{"C", "NUMB", "CHAR", "TIME"};
    for (int k = 5; k <= 30; ++k) types << (k == 18 ? "TIME" : "CHAR");
    b += Line(types);
    QStringList titles{"T", "", "", Q("更新日時"), "", Q("分類"), ""};
    for (const char* t :
         {"氏名", "ﾌﾘｶﾞﾅ", "会社名", "部署", "役職", "郵便番号", "住所", "住所2", "電話番号", "FAX",
          "誕生日", "携帯電話", "E-mail", "自宅電話", "ﾒﾓ", "URL", "", "趣味", "血液型"})
        titles << Q(t);
    b += Line(titles);
    b += Line({"D",
               "1",
               "",
               "20010315123045",
               "",
               Q("友人,仕事"),
               "",
               Q("佐藤　花子"),
               Q("ｻﾄｳ ﾊﾅｺ"),
               Q("ｻﾝﾗｲｽﾞ工業(株)"),
               "",
               "",
               "530-0001",
               Q("大阪府大阪市北区梅田2-2"),
               "",
               "06-1",
               "06-2",
               "19851123",
               "090-3",
               "hanako@example.jp",
               "",
               Q("ﾃﾆｽ\x1f\"読書\", 映画"),
               "",
               "",
               Q("ｷｬﾝﾌﾟ; 料理"),
               Q("A型")});
    b += Line({"D", "2", "", "20010315123045", "", "", "", "", "", "", Q("総務課")});
    b += Line({"D", "3", "", "20010315123045", "", "", "", Q("院内は\"\"土足禁止\"\"です")});
    return b;
}

QByteArray ActionLists() {
    QByteArray b = Line({"M", "MI", "1", "", "", "", "TODO LIST", "3", "", "20010316090512"});
    b += Line({"T", "", "", "", "", "", "", Q("件名"), Q("期限"), Q("完了"), Q("優先度"), Q("分類"),
               Q("ﾒﾓ")});
    b += Line({"D", "1", "", "", "", "", "", Q("見積書, 送付; 至急\\"), "200103201700", "0", "1",
               Q("仕事"), Q("ｻﾝﾗｲｽﾞ工業\x1f\"山崎さん\"")});
    b += Line({"D", "2", "", "", "", "", "", Q("月報\"\"2月分\"\""), "20010231", "200103151200",
               Q("高"), "", ""});
    b += Line({"D", "3", "", "", "", "", "", "", "20010401", Q("済"), "?", "", Q("件名なし")});
    b += Line({"I", "RECN", "ITEM", "LTDY", "FNDY", "MEMO", "PRTY", "GRUP"});
    b += Line({"D", "1", Q("ﾃﾞｰﾀ整理､ﾊﾞｯｸｱｯﾌﾟ"), "20010410", "", "2", Q("外付けﾃﾞｨｽｸ"), Q("家")});
    return b;
}

QByteArray PiSchedule() {
    QByteArray b =
        Line({"I", "RECN", "TIM1", "TIM2", "ALRM", "ALON", "DESC", "", "", "", "", "", "", "MARK"});
    const char* rows[][4] = {
        {"202403051000", "202403051130", "定例ﾐｰﾃｨﾝｸﾞ\x1f第3会議室, 資料; 予算\\案", ""},
        {"20240306", "", "休暇", "★"},
        {"20240307", "20240309", "展示会 (幕張ﾒｯｾ)", ""},
        {"202403080000", "202403080000", "祝日", ""},
        {"202403082000", "202403101000", "出張: 大阪\x1f\"ﾉｿﾞﾐ\" 7:03発", "重要"},
        {"20010230", "20010301", "日付が変", ""},
        {"202403121000", "202403110900", "終わりが先", ""},
        {"", "202403131500", "終わりだけ", ""},
        {"xyz", "", "読めない日付", ""},
        {"202403141000", "202403141100", "ｱｲｳｴｵ", ""},
    };
    int n = 0;
    for (const auto& r : rows) {
        QStringList f{"D", QString::number(++n), Q(r[0]), Q(r[1]), "", "", Q(r[2])};
        while (f.size() < 13) f << "";
        f << Q(r[3]);
        b += Line(f);
    }
    b += Line({"D", "99", "202403151000", "", Q("長い予定").repeated(40)});
    return b;
}

// A transfer as first sent, or re-sent after edits on the PDA of what does not name a record:
// end times, memos, alarms, phone numbers, done marks and update times. Each holds two records
// that are the same in everything, which must stay two items.
QByteArray MiScheduleSent(bool edited) {
    QByteArray b = Line({"M", "MI", "1", "", "", "", "SCHEDULE", "2", "", "20240301090000"});
    b += Line({"C", "NUMB", "CHAR", "TIME", "CHAR", "CHAR", "CHAR", "TIME", "TIME", "CHAR", "CHAR",
               "CHAR", "CHAR", "CHAR", "CHAR", "CHAR"});
    b += Line({"T", Q("番号"), "", Q("更新日時"), "", "", "", Q("開始"), Q("終了"), Q("内容"),
               Q("メモ"), Q("予告"), Q("予告ON"), Q("マーク"), Q("繰返し"), Q("秘密")});
    const char* rows[][7] = {
        {"202403051400", "202403051500", "打合せ", "資料を持参", "10", "1", "0"},
        {"20240306", "", "創立記念日", "", "", "0", "1"},
        {"202403071000", "", "電話する", "", "5", "1", "0"},
        {"202403081000", "202403081100", "点検", "", "", "0", "0"},
        {"202403081000", "202403081100", "点検", "", "", "0", "0"},
    };
    int n = 0;
    for (const auto& r : rows) {
        ++n;
        const bool edit = edited && n != 2;
        b += Line({"D", QString::number(n), "", edit ? "20240304101500" : "20240302101500", "", "",
                   "", Q(r[0]), edit && n == 1 ? "202403051530" : Q(r[1]), Q(r[2]),
                   edit ? Q(r[3]) + Q("、追記") : Q(r[3]), Q(r[4]), Q(r[5]), "3", "1", Q(r[6])});
    }
    return b;
}

QByteArray PiAddressBookSent(bool edited) {
    QByteArray b = Line({"I", "RECN", "CTGR", "", "", "CTGR", "NAME"});
    b += Line({"D", "1", "", "", "", "1", Q("仕事")});
    b += Line({"D", "2", "", "", "", "2", Q("家族")});
    b += Line({"I", "RECN", "CTGR", "NAME", "FURI", "ZIPC", "TEL1", "MEMO", "LTDY", "ATTR"});
    const char* rows[][5] = {
        {"1", "山田 太郎", "ﾔﾏﾀﾞ ﾀﾛｳ", "03-1234-5678", "院内は\"\"土足禁止\"\"です"},
        {"2", "佐藤 花子", "ｻﾄｳ ﾊﾅｺ", "06-9876-5432", ""},
        {"0", "", "", "011-222-3333", "名前なし"},
        {"1", "鈴木 一郎", "ｽｽﾞｷ ｲﾁﾛｳ", "052-1", ""},
        {"1", "鈴木 一郎", "ｽｽﾞｷ ｲﾁﾛｳ", "052-1", ""},
    };
    int n = 0;
    for (const auto& r : rows) {
        ++n;
        const QString phone = edited && n != 3 ? Q(r[3]) + "9" : Q(r[3]);
        b += Line({"D", QString::number(n), Q(r[0]), Q(r[1]), Q(r[2]), "100-0001", phone, Q(r[4]),
                   edited ? "202403041015" : "202403021015", "0"});
    }
    return b;
}

QByteArray MiAddressBookSent(bool edited) {
    QByteArray b = Line({"M", "MI", "1", "", "", "", "ADDRESS", "2", "", "20240301090000"});
    b += Line({"C", "NUMB", "CHAR", "TIME", "CHAR", "CHAR", "CHAR", "NAME", "FURI", "COMP", "HZIP",
               "HADR", "HTEL", "CELL", "MAIL", "NICK", "MEMO"});
    for (int n = 1; n <= 3; ++n) {
        const QString who = n == 3 ? Q("高橋 三郎") : Q("田中 次郎");  // two alike
        b += Line({"D", QString::number(n), "", edited ? "20240304101500" : "20240302101500", "",
                   "", "", who, Q("ﾀﾅｶ ｼﾞﾛｳ"), Q("田中商事"), "150-0001", Q("東京都渋谷区1-1"),
                   "03-5555-0000", edited ? "090-0000-0002" : "090-0000-0001", "t@example.jp",
                   Q("じろう"), edited ? Q("新しいメモ") : Q("メモ")});
    }
    return b;
}

QByteArray ActionsAndPiScheduleSent(bool edited) {
    QByteArray b = Line({"I", "RECN", "ITEM", "FNDY", "CHCK", "PRTY", "ETDY", "LTDY", "MEMO"});
    b += Line({"D", "1", Q("請求書\"\"2月分\"\"の発行"), edited ? "20240305" : "",
               edited ? "1" : "0", "1", "20240310", "202403021015"});
    b += Line({"D", "2", Q("見積"), "", "0", "3", "20240312", "202403021015",
               edited ? Q("3社分") : Q("2社分")});
    b += Line({"I", "RECN", "TIM1", "TIM2", "ALTM", "ALON", "DESC", "CTG1", "RPTY", "RPTE", "", "",
               "", "MARK"});
    b += Line({"D", "1", "202403111000", edited ? "202403111200" : "202403111100", "15", "1",
               Q("定例"), "1", "2", "20241231", "", "", "", "3"});
    b += Line({"D", "2", "202403120900", "", "", "0", edited ? Q("健診\x1f持ち物確認") : Q("健診"),
               "", "", "", "", "", "", ""});
    return b;
}

const std::pair<const char*, QByteArray (*)(bool)> kSentTransfers[] = {
    {"mi-schedule", MiScheduleSent},
    {"pi-address", PiAddressBookSent},
    {"mi-address", MiAddressBookSent},
    {"actions", ActionsAndPiScheduleSent}};

// What the exporter writes beside the output file for one transfer, its files one after another.
QByteArray Exported(const QByteArray& transfer) {
    Harness h;
    Exporter exporter({OutputFile::Charset::Utf8, true, true, 4, TimeMode::Floating});
    h.session.exports = &exporter;
    h.options.setValue(Option::ckSF0, 1);
    StartReceiving(h.session);
    EXPECT_TRUE(AppendInBlocks(h.session, transfer));
    FinishTransfer(h.session);
    QByteArray out;
    for (const QString& file : exporter.written()) out += ReadFile(file);
    return out;
}

QStringList Uids(const QByteArray& exported) {
    QStringList uids;
    for (const QByteArray& line : exported.split('\n'))
        if (line.startsWith("UID:")) uids << QString::fromUtf8(line.trimmed());
    return uids;
}

// In the exporter alone: no edit (a task's memo neither) gives an item a new UID.
TEST(EditedResend, KeepsTheUidOfEveryItem) {
    for (const auto& [name, make] : kSentTransfers) {
        const QStringList first = Uids(Exported(make(false)));
        EXPECT_FALSE(first.isEmpty()) << name;
        EXPECT_EQ(Uids(Exported(make(true))), first) << name;
    }
}

// The category table after the cards it names is still no card; a memo in a data set that
// names its columns by their types alone is the card's plain note.
TEST(Exporter, CategoriesAfterTheCardsAndMemosNamedByTypeAlone) {
    QByteArray tableLast = PiAddressBookSent(false);
    const qsizetype cards = tableLast.indexOf("\"I\",\"RECN\",\"CTGR\",\"NAME\"");
    tableLast = tableLast.mid(cards) + tableLast.left(cards);
    const QByteArray cardsOut = Exported(tableLast);
    EXPECT_EQ(cardsOut.count("BEGIN:VCARD"), 5) << cardsOut.toStdString();
    EXPECT_FALSE(cardsOut.contains(Q("FN:仕事").toUtf8())) << cardsOut.toStdString();
    const QByteArray typed = Exported(MiAddressBookSent(false));
    EXPECT_TRUE(typed.contains(Q("NOTE:メモ\r\n").toUtf8())) << typed.toStdString();
}

// The files in the programs people use: Radicale filled by UID from the first transfer and then
// its edited re-send, khal importing both calendars, khard listing the server's address book.
TEST(RealClients, AnEditedResendUpdatesEveryItemInsteadOfDoublingIt) {
    QTemporaryDir dir;
    QStringList arguments{QStringLiteral(FENMOR_CLIENT_CHECK), QStringLiteral(FENMOR_CONVERT),
                          dir.filePath("work")};
    for (const auto& [name, make] : kSentTransfers) {
        for (const bool edited : {false, true}) {
            const QString path =
                dir.filePath(QString::fromLatin1(name) + (edited ? "-2" : "") + ".cap");
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(make(edited));
            arguments << path;
        }
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("/usr/bin/python3"), arguments);
    ASSERT_TRUE(p.waitForFinished(600000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
}

class ExportFiles : public ::testing::Test {
  protected:
    QString write(const QString& name, const QByteArray& bytes) const {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    void check(const QStringList& arguments) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("/usr/bin/python3"), QStringList{FENMOR_EXPORT_CHECK} + arguments);
        ASSERT_TRUE(p.waitForFinished(600000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    }
    QTemporaryDir dir_;
};

TEST_F(ExportFiles, EveryFieldOfEveryCaptureIsFoundInTheFiles) {
    QStringList arguments{QStringLiteral("convert"), QStringLiteral(FENMOR_CONVERT),
                          dir_.filePath("work")};
    for (const QString& sample : QDir(QStringLiteral(FENMOR_SAMPLES)).entryList({"*.cap"}))
        arguments << QStringLiteral(FENMOR_SAMPLES "/") + sample;
    arguments << write("pi-address.cap", PiAddressBook(60, 11))
              << write("mi-schedule.cap", MiSchedule(80, 4))
              << write("mi-address.cap", MiAddressBook(40, 9))
              << write("pi-tricky.cap", TrickyPiAddressBook())
              << write("mi-tricky.cap", TrickyMiAddressBook())
              << write("actions.cap", ActionLists()) << write("pi-schedule.cap", PiSchedule());
    check(arguments);
}

// Text that no Shift-JIS capture can carry reaches the writers as it is.
TEST_F(ExportFiles, CharactersOutsideShiftJisSurvive) {
    const QString name = Q("𠮷田　😀"),
                  memo = Q("ヷ\u2603, \"x\"; 1\\2\r\n次の行") + Q("𠮷").repeated(40);
    Columns columns = {{Meaning::Name, "NAME", name, name},
                       {Meaning::Reading, "FRIG", Q("ﾖｼﾀﾞ ｽﾏｲﾙ"), {}},
                       {Meaning::Memo, "MEMO", memo, memo},
                       {Meaning::Unknown, Q("趣味☃"), "x", Q("𩸽釣り")}};
    const QString v4 = write("cards4.vcf", VCardOf(columns, "u-1", 4));
    const QString v3 = write("cards3.vcf", VCardOf(columns, "u-1", 3));
    CalendarItem event = ScheduleEntry("202403051000", "202403061130", memo, Q("☆"), {});
    event.uid = "e-1@fenmor";
    const QString ics =
        write("items.ics", CalendarOf({event}, TimeMode::Floating, QDateTime::currentDateTime()));

    const QString memoLf = QString(memo).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString note = memoLf + Q("\n趣味☃: 𩸽釣り");
    const QJsonObject card{{"FN", name},
                           {"X-PHONETIC-LAST-NAME", Q("ヨシダ")},
                           {"X-PHONETIC-FIRST-NAME", Q("スマイル")},
                           {"NOTE", note}};
    QJsonObject card4 = card, card3 = card;
    card4["UID"] = "urn:uuid:u-1";
    card3["UID"] = "urn:uuid:u-1";
    const QJsonObject item{{"SUMMARY", Q("ヷ\u2603, \"x\"; 1\\2")},
                           {"DESCRIPTION", memoLf},
                           {"CATEGORIES", Q("☆")},
                           {"DTSTART", "20240305T100000"},
                           {"DTEND", "20240306T113000"},
                           {"UID", "e-1@fenmor"}};
    const QJsonArray spec{QJsonObject{{"file", v4}, {"items", QJsonArray{card4}}},
                          QJsonObject{{"file", v3}, {"items", QJsonArray{card3}}},
                          QJsonObject{{"file", ics}, {"items", QJsonArray{item}}}};
    check({QStringLiteral("expect"), write("expect.json", QJsonDocument(spec).toJson())});
}

// Without a saved output file ("データ保存する" clear) nothing is written beside it.
TEST(Exporter, WritesNothingWithoutAnOutputFile) {
    for (const bool save : {true, false}) {
        Harness h;
        Exporter exporter({OutputFile::Charset::Utf8, true, true, 4, TimeMode::Floating});
        h.session.exports = &exporter;
        h.options.setValue(Option::ckSF0, save ? 1 : 0);
        StartReceiving(h.session);
        ASSERT_TRUE(AppendInBlocks(h.session, MiSchedule(5, 1) + PiAddressBook(3, 1)));
        FinishTransfer(h.session);
        EXPECT_EQ(exporter.written().size(), save ? 2 : 0);
        EXPECT_EQ(QDir(h.folder).entryList(QDir::Files).size(), save ? 3 : 0);
        if (save) {
            EXPECT_TRUE(h.list.lines.back().startsWith(Q("書き出し：")));
        }
    }
}

}  // namespace
}  // namespace fenmor::test
