#include "core/text_document_writer.h"

#include <gtest/gtest.h>

#include <QScopeGuard>

#include "core/received_buffer.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

using Slots = std::vector<std::pair<int, QString>>;

void SetRecord(Session& s, const Slots& slots) {
    s.DataRecord.fill(QString());
    s.DataRecord[1] = QStringLiteral("D");
    for (const auto& [k, v] : slots) s.DataRecord[k] = v;
}

// Writes the entries of one data set into a new output file and returns the file's bytes.
QByteArray Write(Harness& h, const QString& kind, const std::vector<Slots>& entries) {
    const QString path = h.folder + QStringLiteral("doc.txt");
    h.session.nFR2 = OutputFile::open(path, nullptr);
    h.session.zKINO = kind;
    for (const Slots& e : entries) {
        SetRecord(h.session, e);
        WriteTextRecord(h.session);
    }
    h.session.nFR2.reset();
    return ReadFile(path);
}

TEST(WriteTextRecord, WorkedExampleOfASchedule) {
    Harness h;
    const QByteArray file =
        Write(h, "MS",
              {
                  {{8, "200105011000"}, {9, "200105011130"}, {10, "Meeting\r\nRoom 3"}},
                  {{8, "200105011400"}, {9, "200105011500"}, {10, "Call"}},
                  {{8, "20010502"}, {10, "Holiday"}},
              });
    // 火 89 CE, 水 90 85, ～ 81 60 in code page 932.
    EXPECT_EQ(file, QByteArray("\r\n\r\n2001-05-01(\x89\xCE)\r\n"
                               "[10:00\x81\x60"
                               "11:30] Meeting\r\nRoom 3\r\n"
                               "[14:00\x81\x60"
                               "15:00] Call\r\n"
                               "\r\n\r\n2001-05-02(\x90\x85)\r\nHoliday\r\n"));
    EXPECT_EQ(h.list.lines,
              (std::vector<QString>{"", "", "2001-05-01(火)", "", "Meeting\r\nRoom 3", "", "Call",
                                    "", "", "2001-05-02(水)", "Holiday"}));
}

TEST(WriteTextRecord, ScheduleHeadingsAndTimeSpans) {
    // clang-format off
    struct Row {
        const char* name;
        QString kind;
        int ckDA;
        int opSEPA;
        std::vector<Slots> entries;
        QString file;
    } rows[] = {
        {"without grouping every entry gets separator and heading", "MS", 0, 1,
         {{{8, "200105011000"}, {9, "200105011130"}, {10, "A"}},
          {{8, "200105011400"}, {9, "200105011500"}, {10, "B"}}},
         "\r\n2001-05-01(火)\r\n[10:00～11:30] A\r\n\r\n2001-05-01(火)\r\n[14:00～15:00] B\r\n"},
        {"no separator style", "MS", 1, 0,
         {{{8, "200105011000"}, {9, "200105011130"}, {10, "A"}},
          {{8, "200105021000"}, {9, "200105021130"}, {10, "B"}}},
         "2001-05-01(火)\r\n[10:00～11:30] A\r\n2001-05-02(水)\r\n[10:00～11:30] B\r\n"},
        {"start equals end", "MS", 1, 0, {{{8, "200105011000"}, {9, "200105011000"}, {10, "A"}}},
         "2001-05-01(火)\r\n[～10:00] A\r\n"},
        {"midnight start is no time", "MS", 1, 0,
         {{{8, "200105010000"}, {9, "200105010100"}, {10, "A"}}}, "2001-05-01(火)\r\n[～01:00] A\r\n"},
        {"midnight end is no time", "MS", 1, 0,
         {{{8, "200105011000"}, {9, "200105010000"}, {10, "A"}}}, "2001-05-01(火)\r\n[10:00] A\r\n"},
        {"ends on a later day", "MS", 1, 0,
         {{{8, "200105030900"}, {9, "200105051800"}, {10, "A"}}},
         "2001-05-03(木)09:00～2001-05-05(土)18:00\r\nA\r\n"},
        {"same day, ending later, loses its end date", "MS", 1, 0,
         {{{8, "200105011000"}, {9, "200105011100"}, {10, "A"}},
          {{8, "200105011400"}, {9, "200105021400"}, {10, "B"}}},
         "2001-05-01(火)\r\n[10:00～11:00] A\r\n[14:00～14:00] B\r\n"},
        {"PI schedule slots", "PS", 1, 0, {{{3, "200105011000"}, {4, "200105011130"}, {7, "A"}}},
         "2001-05-01(火)\r\n[10:00～11:30] A\r\n"},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.options.setValue(Option::ckDA, r.ckDA);
        h.options.setValue(Option::opSEPA, r.opSEPA);
        h.options.setText(Option::txSEPA0, QStringLiteral("1"));
        EXPECT_EQ(Write(h, r.kind, r.entries), Sjis(r.file)) << r.name;
    }
}

TEST(WriteTextRecord, MultiDayHeadingListsOnlyTheStartDate) {
    Harness h;
    h.options.setValue(Option::opSEPA, 0);
    Write(h, "MS", {{{8, "200105030900"}, {9, "200105051800"}, {10, "A"}}});
    EXPECT_EQ(h.list.lines, (std::vector<QString>{"2001-05-03(木)", "A"}));
}

TEST(WriteTextRecord, RepeatedCharacterSeparator) {
    Harness h;
    h.options.setValue(Option::opSEPA, 2);
    h.options.setText(Option::txSEPA1, QStringLiteral("*-"));
    h.options.setText(Option::txSEPA2, QStringLiteral("3"));
    h.options.setText(Option::txSEPA3, QStringLiteral("2"));
    const QByteArray first = Write(h, "MR", {{{6, "T"}, {10, "A"}}});
    EXPECT_EQ(first, QByteArray("***\r\n***\r\n[ T ]\r\nA\r\n"));
    EXPECT_EQ(h.list.lines, (std::vector<QString>{"***", "***", "[ T ]", "A"}));
    h.options.setValue(Option::opSEPA, -1);  // none selected: the last style stays
    EXPECT_EQ(Write(h, "MR", {{{10, "B"}}}), QByteArray("***\r\n***\r\nB\r\n"));
}

TEST(WriteTextRecord, ReportTitles) {
    // clang-format off
    struct Row {
        const char* name;
        QString kind;
        Slots slots;
        QByteArray file;
    } rows[] = {
        {"MR title slot 6", "MR", {{6, " Plan "}, {10, "A"}, {3, "x"}, {4, "y"}}, "\r\n[ Plan ]\r\nA\r\n"},
        {"MF as MR", "MF", {{6, "Plan"}, {10, "A"}}, "\r\n[ Plan ]\r\nA\r\n"},
        {"PR title slot 3, text slot 4", "PR", {{3, "Plan"}, {4, "A"}, {6, "x"}, {10, "y"}},
         "\r\n[ Plan ]\r\nA\r\n"},
        {"empty title", "MR", {{10, "A"}}, "\r\nA\r\n"},
        {"title of spaces", "PR", {{3, "   "}, {4, "A"}}, "\r\nA\r\n"},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.options.setText(Option::txSEPA0, QStringLiteral("1"));
        EXPECT_EQ(Write(h, r.kind, {r.slots}), r.file) << r.name;
    }
}

TEST(WriteTextRecord, EntryTextConversions) {
    // clang-format off
    struct Row {
        const char* name;
        int ckCrc;
        int ckHkana;
        QString text;
        QString listed;
    } rows[] = {
        {"one final line break dropped", 1, 0, "a\r\n\r\n", "a\r\n"},
        {"a bare line break stays", 1, 0, "\r\n", "\r\n"},
        {"kept without the option", 0, 0, "a\r\n", "a\r\n"},
        {"half-width kana widened", 0, 1, "ｱｲｳｶﾞﾊﾟ abc１", "アイウガパ abc１"},
        {"kana kept without the option", 0, 0, "ｱｲｳ", "ｱｲｳ"},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.options.setValue(Option::opSEPA, 0);
        h.options.setValue(Option::ckCrc, r.ckCrc);
        h.options.setValue(Option::ckHkana, r.ckHkana);
        EXPECT_EQ(Write(h, "MR", {{{10, r.text}}}), Sjis(r.listed + "\r\n")) << r.name;
        EXPECT_EQ(h.list.lines, std::vector<QString>{r.listed}) << r.name;
    }
}

TEST(WriteTextRecord, MarkLineIsWrittenButNotListed) {
    Harness h;
    h.options.setValue(Option::opSEPA, 0);
    EXPECT_EQ(Write(h, "MR", {{{10, "A"}, {14, "3"}}}), QByteArray("A\r\n[@3]\r\n"));
    EXPECT_EQ(h.list.lines, std::vector<QString>{"A"});
}

TEST(WriteTextRecord, UnusableSeparatorOptionReportsOncePerRun) {
    // clang-format off
    struct Row {
        const char* name;
        int opSEPA;
        Option option;
        QString value;
    } rows[] = {
        {"non-numeric blank-line count", 1, Option::txSEPA0, "abc"},
        {"empty repeated character", 2, Option::txSEPA1, ""},
        {"non-numeric repeat count", 2, Option::txSEPA2, "x"},
    };
    // clang-format on
    const QByteArray transfer = Sjis(
        "\"M\",\"\",\"\",\"\",\"\",\"\",\"Schedule\"\r"
        "\"D\",\"\",\"\",\"\",\"\",\"\",\"\",\"200105011000\",\"200105011100\",\"A\"\r"
        "\"D\",\"\",\"\",\"\",\"\",\"\",\"\",\"200105021000\",\"200105021100\",\"B\"\r");
    for (const Row& r : rows) {
        Harness h;
        h.options.setValue(Option::opSEPA, r.opSEPA);
        h.options.setText(r.option, r.value);
        for (int run = 1; run <= 2; ++run) {
            h.messages.shown.clear();
            AppendReceivedData(h.session, transfer);
            ProcessReceivedData(h.session);
            ASSERT_EQ(h.messages.shown.size(), 1u) << r.name << " run " << run;
            EXPECT_EQ(h.messages.shown[0].icon, Icon::Exclamation) << r.name;
            EXPECT_FALSE(h.messages.shown[0].text.isEmpty()) << r.name;
            // The file was closed before anything went into it; the entries are still listed.
            const QString path = h.folder + QStringLiteral("MS20240305-140709.txt");
            EXPECT_TRUE(QFile::exists(path)) << r.name;
            EXPECT_EQ(ReadFile(path), QByteArray()) << r.name;
            EXPECT_EQ(h.list.lines, (std::vector<QString>{"A", "B"})) << r.name;
        }
    }
}

TEST(WriteTextRecord, FailedWriteReportsAndClosesButKeepsTheReceivedData) {
    Harness h;
    auto& s = h.session;
    const FullDeviceOutput full(s);
    ASSERT_TRUE(s.nFR2);
    s.nDD = 1;
    s.zDD[1] = "received";
    s.zKINO = QStringLiteral("MS");
    SetRecord(s, {{8, "200105011000"}, {9, "200105011100"}, {10, "A"}});
    WriteTextRecord(s);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(s.nFR2, nullptr);
    EXPECT_EQ(s.nDD, 1);
    EXPECT_EQ(s.zDD[1], QByteArray("received"));
    EXPECT_TRUE(h.list.lines.empty());

    SetRecord(s, {{8, "200105021000"}, {9, "200105021100"}, {10, "B"}});
    WriteTextRecord(s);  // without a file: separators and text are listed only
    EXPECT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.list.lines, (std::vector<QString>{"", "", "B"}));
}

}  // namespace
}  // namespace fenmor::test
