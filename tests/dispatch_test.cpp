#include "core/dispatch.h"

#include <gtest/gtest.h>

#include "core/record_parser.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

void Feed(Harness& h, QString line) {
    ParseLine(h.session, line);
    DispatchRecord(h.session);
}

// A record whose slot k holds "fk" (slot 1 the kind letter): no slot reads as a date.
QString Line(const QString& kind, int fields = 14) {
    QStringList f{'"' + kind + '"'};
    for (int k = 2; k <= fields; ++k) f << QStringLiteral("\"f%1\"").arg(k);
    return f.join(u',');
}

TEST(DispatchRecord, RoutesDataLinesByKindAndOption) {
    enum class To { Nothing, Separated, Text, Document };
    // clang-format off
    struct Row {
        const char* name;
        QString kind;
        QString kino;
        int ckCSVD;
        To to;
        const char* text = "";  // the entry text the text writer lists
    } rows[] = {
        {"MS text", "D", "MS", 0, To::Text, "f10"},
        {"MS separated", "D", "MS", 1, To::Separated},
        {"PS text", "D", "PS", 0, To::Text, "f7"},
        {"MR separated", "D", "MR", 1, To::Separated},
        {"PR text", "D", "PR", 0, To::Text, "f4"},
        {"MF text", "D", "MF", 0, To::Text, "f10"},
        {"PA always separated", "D", "PA", 0, To::Separated},
        {"MT always separated", "D", "MT", 0, To::Separated},
        {"PN always separated", "D", "PN", 1, To::Separated},
        {"MW document", "D", "MW", 0, To::Document},
        {"no data set", "D", "", 0, To::Nothing},
        {"unknown kind letter", "D", "MX", 0, To::Nothing},
        {"lower-case d", "d", "PA", 0, To::Nothing},
        {"H", "H", "PA", 0, To::Nothing},
        {"S", "S", "PA", 0, To::Nothing},
        {"unknown line kind", "X", "PA", 0, To::Nothing},
        {"T while separated", "T", "PA", 0, To::Separated},
        {"T while text", "T", "MS", 0, To::Nothing},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.session.zKINO = r.kino;
        h.session.fgCSV = r.kino == u"PA";  // as the data set's start leaves it
        h.options.setValue(Option::ckCSVD, r.ckCSVD);
        Feed(h, Line(r.kind));
        const auto& list = h.list.lines;
        switch (r.to) {
            case To::Nothing:
                EXPECT_TRUE(list.empty()) << r.name;
                break;
            case To::Separated:
                ASSERT_EQ(list.size(), 1u) << r.name;
                EXPECT_TRUE(list[0].startsWith(u"\"f")) << r.name << ": " << list[0].toStdString();
                break;
            case To::Text:  // two blank separator lines, then the entry's text
                EXPECT_EQ(list, (std::vector<QString>{"", "", r.text})) << r.name;
                break;
            case To::Document:
                ASSERT_FALSE(list.empty()) << r.name;
                EXPECT_EQ(list[0], QStringLiteral("ワープロデータ受信")) << r.name;
                break;
        }
        EXPECT_EQ(h.session.zKINO, r.kino) << r.name;
    }
}

TEST(DispatchRecord, HeadersStartDataSets) {
    // clang-format off
    struct Row {
        const char* name;
        QString line;
        QString kino;
    } rows[] = {
        {"I with a tag", R"("I","","","","FLER","ALON","TIM1")", "PS"},
        {"lower-case i", R"("i","","","","","ZIPC")", "PA"},
        {"I category list starts nothing", R"("I","","","","","CTGR","Schedule")", "MT"},
        {"M names the data set", R"("M","","","","","","Schedule")", "MS"},
        {"lower-case m is no header", R"("m","","","","","","Schedule")", "MT"},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.session.zKINO = QStringLiteral("MT");
        Feed(h, r.line);
        EXPECT_EQ(h.session.zKINO, r.kino) << r.name;
        EXPECT_TRUE(h.messages.shown.empty()) << r.name;
    }
}

TEST(DispatchRecord, PiHeaderTagBecomesTheDataSetName) {
    Harness h;
    Feed(h, R"("I","","","","FLER","ALON","TIM1")");
    EXPECT_EQ(h.session.DataRecord[7], QStringLiteral("ALON"));
    EXPECT_EQ(h.session.DataRecord[5], QString());
    EXPECT_EQ(h.session.zZFME, QStringLiteral("ALON"));
}

TEST(ReadFieldTypes, TrimsAndStopsAtTheFirstEmptyEntry) {
    // clang-format off
    struct Row {
        const char* name;
        QString line;
        std::vector<QString> types;  // entries 1 to 5
    } rows[] = {
        {"stops at empty", R"("C","TIME","","TIME","X")", {"C", "TIME", "", "", ""}},
        {"trims spaces only", "\"C\",\" TIME \",\"\tX\",\"Y\"", {"C", "TIME", "\tX", "Y", ""}},
        {"only spaces count as empty", R"("C","  ","TIME")", {"C", "", "", "", ""}},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.session.FieldTypes.fill(QStringLiteral("old"));
        Feed(h, r.line);
        const auto& t = h.session.FieldTypes;
        EXPECT_EQ(std::vector<QString>(t.begin() + 1, t.begin() + 6), r.types) << r.name;
        for (int k = 6; k <= 30; ++k) EXPECT_EQ(t[k], QString()) << r.name << " entry " << k;
        EXPECT_EQ(t[0], QStringLiteral("old")) << r.name;
        EXPECT_EQ(t[31], QStringLiteral("old")) << r.name;
    }
}

TEST(ReadFieldTypes, FillsAllThirtyEntriesAndNoMore) {
    Harness h;
    h.session.FieldTypes.fill(QStringLiteral("old"));
    Feed(h, Line("C", 31));
    EXPECT_EQ(h.session.FieldTypes[30], QStringLiteral("f30"));
    EXPECT_EQ(h.session.FieldTypes[31], QStringLiteral("old"));
}

}  // namespace
}  // namespace fenmor::test
