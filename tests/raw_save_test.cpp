#include "core/raw_save.h"

#include <gtest/gtest.h>

#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

TEST(DumpOfEntry, ListsBytesAndCharacterCodes) {
    const QByteArray dump = DumpOfEntry(QByteArray("A\r\n\x82\xa0", 5));
    const QByteArray expected =
        QByteArray(45, '=') + "\r\n" +
        "?\xe4p?\r\n" +  // U+0D41 is not in the code page, U+820A is, U+00A0 not
        "---- ANSI:AscB ----\r\n"
        "65|13|10|130|160|\r\n" +
        QByteArray(45, '-') + "\r\n" +
        "---- UniCode:Asc ----\r\n"
        "A\r\n\x82\xa0\r\n"
        "65]13]10]-32096]\r\n";
    EXPECT_EQ(dump, expected);
}

TEST(DumpOfEntry, EmptyEntryGivesEmptyItems) {
    const QByteArray dump = DumpOfEntry({});
    EXPECT_EQ(dump, QByteArray(45, '=') + "\r\n\r\n---- ANSI:AscB ----\r\n\r\n" +
                        QByteArray(45, '-') + "\r\n---- UniCode:Asc ----\r\n\r\n\r\n");
}

TEST(SaveRawData, WritesEntriesAndTheDumpIntoTheOutputFolder) {
    Harness h;
    Session& s = h.session;
    s.zYMD2 = QStringLiteral("ZZ20240305-140709");
    s.nDD = 3;
    s.zDD[1] = "abc";
    s.zDD[2] = "\x82\xa0";
    s.zDD[3].clear();  // the transfer ended right after an entry closed
    SaveRawData(s);
    EXPECT_EQ(ReadFile(h.folder + "ZZ20240305-140709.rcv"), QByteArray("abc\r\n\x82\xa0\r\n\r\n"));
    const QByteArray dump = ReadFile(h.folder + "ascii.rcv");
    EXPECT_EQ(dump.count(QByteArray(45, '=')), 3);
    EXPECT_TRUE(dump.endsWith("---- UniCode:Asc ----\r\n\r\n\r\n"));
    EXPECT_EQ(s.zBME, h.folder + "ascii.rcv");
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(SaveRawData, UnwritableFolderIsReportedAndNamed) {
    Harness h;
    h.session.zDEF = h.folder + "missing/";
    h.session.zYMD2 = QStringLiteral("ZZ1");
    SaveRawData(h.session);
    ASSERT_EQ(h.messages.shown.size(), 1u);  // no dump is attempted
    EXPECT_EQ(h.messages.shown[0].icon, Icon::Exclamation);
    EXPECT_TRUE(h.messages.shown[0].text.startsWith(QStringLiteral("パスが見つかりません。")));
    EXPECT_EQ(h.session.zBME, h.folder + "missing/ZZ1.rcv");
}

TEST(SaveUnprocessedData, NamesTheFileAfterOneReadingOfTheClock) {
    Harness h;
    // The clock passes midnight between two readings.
    std::vector<QDateTime> clock = {QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59)),
                                    QDateTime(QDate(2024, 3, 6), QTime(0, 0, 0))};
    h.session.now = [&clock] {
        const QDateTime t = clock.front();
        if (clock.size() > 1) clock.erase(clock.begin());
        return t;
    };
    h.session.nDD = 1;
    h.session.zDD[1] = "bytes";
    EXPECT_EQ(SaveUnprocessedData(h.session), h.folder + "ZZ20240305-235959.rcv");
}

}  // namespace
}  // namespace fenmor::test
