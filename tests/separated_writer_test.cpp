#include "core/separated_writer.h"

#include <gtest/gtest.h>

#include <QScopeGuard>

#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

// Slot k holds "vk"; slot 1 the kind letter.
void FillSlots(Session& s) {
    s.DataRecord[1] = QStringLiteral("D");
    for (int k = 2; k <= 36; ++k) s.DataRecord[k] = QStringLiteral("v%1").arg(k);
}

QString Quoted(std::initializer_list<std::pair<int, int>> ranges) {
    QStringList values;
    for (auto [from, to] : ranges)
        for (int k = from; k <= to; ++k) values << QStringLiteral("\"v%1\"").arg(k);
    return values.join(u',');
}

TEST(WriteSeparatedRecord, WritesTheSlotsOfEachKindsMask) {
    // clang-format off
    struct Row {
        const char* kind;
        QString line;
    } rows[] = {
        {"MA", Quoted({{4, 4}, {6, 6}, {8, 30}})},
        {"MR", Quoted({{4, 4}, {6, 6}, {8, 10}, {12, 12}})},
        {"MF", Quoted({{4, 4}, {6, 6}, {8, 10}, {12, 12}})},
        {"MT", Quoted({{4, 4}, {6, 6}, {8, 13}})},
        {"PA", Quoted({{3, 13}})},
        {"PN", Quoted({{3, 19}})},
        {"PT", Quoted({{3, 8}})},
        {"MS", Quoted({{4, 4}, {8, 13}})},
        {"PS", Quoted({{4, 4}, {8, 13}})},
        {"PR", Quoted({{4, 4}, {8, 13}})},
        {"", Quoted({{4, 4}, {8, 13}})},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        FillSlots(h.session);
        h.session.zKINO = r.kind;
        WriteSeparatedRecord(h.session);
        EXPECT_EQ(h.list.lines, std::vector<QString>{r.line}) << r.kind;
    }
}

TEST(WriteSeparatedRecord, CommaStyleQuotesTabStyleDoesNot) {
    // clang-format off
    struct Row {
        const char* name;
        int opCSV;
        QString line;
    } rows[] = {
        {"comma", 0, R"("a","","c","d","e","say "hi", ok")"},
        {"tab", 1, "a\t\tc\td\te\tsay \"hi\", ok"},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.options.setValue(Option::opCSV, r.opCSV);
        h.session.zKINO = QStringLiteral("PT");
        const QString values[] = {"a", "", "c", "d", "e", "say \"hi\", ok"};
        for (int k = 3; k <= 8; ++k) h.session.DataRecord[k] = values[k - 3];
        WriteSeparatedRecord(h.session);
        EXPECT_EQ(h.list.lines, std::vector<QString>{r.line}) << r.name;
    }
}

TEST(WriteSeparatedRecord, FormatsTimeFieldsAndShiftsSlotFourOnly) {
    Harness h;
    auto& s = h.session;
    s.zKINO = QStringLiteral("MS");  // slots 4, 8 to 13
    const QString digits = QStringLiteral("200105011530");
    for (int k : {4, 5, 8, 9, 10, 11}) s.FieldTypes[k] = QStringLiteral("TIME");
    s.DataRecord[4] = digits;
    s.DataRecord[5] = QStringLiteral("19980230");  // not written, but still converted
    s.DataRecord[8] = digits;
    s.DataRecord[9] = QStringLiteral("12:30");
    s.DataRecord[10] = QString();
    s.DataRecord[11] = QStringLiteral("May 1");
    s.DataRecord[12] = digits;  // not a TIME field
    s.DataRecord[13] = QStringLiteral("x");
    WriteSeparatedRecord(s);
    EXPECT_EQ(h.list.lines, std::vector<QString>{R"("2001/05/02 00:30","2001/05/01 15:30",)"
                                                 R"("12:30","","May 1","200105011530","x")"});
    ASSERT_EQ(h.messages.shown.size(), 1u);  // the impossible date in slot 5
    EXPECT_TRUE(h.messages.shown[0].text.startsWith(u"zDF/"));
}

TEST(WriteSeparatedRecord, WritesLinesWithCrLfInShiftJis) {
    Harness h;
    auto& s = h.session;
    const QString path = h.folder + QStringLiteral("out.CSV");
    s.nFR2 = OutputFile::open(path, nullptr);
    ASSERT_TRUE(s.nFR2);
    s.zKINO = QStringLiteral("PT");
    for (int k = 3; k <= 8; ++k) s.DataRecord[k] = QString::number(k);
    s.DataRecord[3] = QStringLiteral("山田");
    WriteSeparatedRecord(s);
    s.DataRecord[3] = QStringLiteral("x");
    WriteSeparatedRecord(s);
    s.nFR2.reset();
    EXPECT_EQ(ReadFile(path), QByteArray("\"\x8E\x52\x93\x63\",\"4\",\"5\",\"6\",\"7\",\"8\"\r\n"
                                         "\"x\",\"4\",\"5\",\"6\",\"7\",\"8\"\r\n"));
    EXPECT_EQ(h.list.lines.size(), 2u);
}

TEST(WriteSeparatedRecord, FailedWriteReportsAndClosesButKeepsTheReceivedData) {
    Harness h;
    auto& s = h.session;
    const FullDeviceOutput full(s);
    ASSERT_TRUE(s.nFR2);
    s.nDD = 2;
    s.zDD[1] = "first";
    s.zDD[2] = "second";
    s.zKINO = QStringLiteral("PA");
    FillSlots(s);
    WriteSeparatedRecord(s);

    ASSERT_EQ(h.messages.shown.size(), 1u);
    const ShownMessage& m = h.messages.shown[0];
    EXPECT_EQ(m.icon, Icon::Exclamation);
    EXPECT_EQ(m.buttons, Buttons::Ok);
    EXPECT_EQ(m.title, QString());
    EXPECT_FALSE(m.text.isEmpty());
    EXPECT_EQ(s.nFR2, nullptr);
    EXPECT_EQ(s.nDD, 2);
    EXPECT_EQ(s.zDD[1], QByteArray("first"));
    EXPECT_EQ(s.zDD[2], QByteArray("second"));
    EXPECT_TRUE(h.list.lines.empty());

    WriteSeparatedRecord(s);  // later records are only listed
    EXPECT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.list.lines.size(), 1u);

    // A later data set of the run does not open this file again (which would empty it).
    EXPECT_FALSE(s.failures.mayOpen(QStringLiteral("/dev/full")));
}

}  // namespace
}  // namespace fenmor::test
