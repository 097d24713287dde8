// The kind codes: which exist for which series, what each is called and which writer takes it.
#include "core/data_kind.h"

#include <gtest/gtest.h>

namespace fenmor {
namespace {

TEST(DataKind, EachCodeNamesItsWriterAndExport) {
    using enum KindWriter;
    using enum KindExport;
    struct Row {
        const char* code;
        const char* name;  // null: no name of its own
        KindWriter writer;
        KindExport exportAs;
    } rows[] = {
        {"PS", "スケジュール", TextOrSeparated, Event},
        {"MS", "スケジュール", TextOrSeparated, Event},
        {"PR", "レポート", TextOrSeparated, None},
        {"MR", "レポート", TextOrSeparated, None},
        {"MF", nullptr, TextOrSeparated, None},
        {"PA", "アドレス帳", Separated, Card},
        {"MA", "アドレス帳", Separated, Card},
        {"PT", "アクションリスト", Separated, Task},
        {"MT", "アクションリスト", Separated, Task},
        {"PN", nullptr, Separated, None},
        {"MW", "文書", Document, None},
    };
    for (const Row& r : rows) {
        const DataKind* kind = DataKindOf(QString::fromLatin1(r.code));
        ASSERT_NE(kind, nullptr) << r.code;
        EXPECT_EQ(kind->letter, QChar::fromLatin1(r.code[1])) << r.code;
        EXPECT_STREQ(kind->name, r.name) << r.code;
        EXPECT_EQ(kind->writer, r.writer) << r.code;
        EXPECT_EQ(kind->exportAs, r.exportAs) << r.code;
    }
}

TEST(DataKind, CodesNoSeriesSendsAreUnknown) {
    for (const char* code : {"PF", "PW", "MN", "XS", "S", "PSX", "", "ps"})
        EXPECT_EQ(DataKindOf(QString::fromLatin1(code)), nullptr) << code;
    EXPECT_EQ(PiDataKind(QStringLiteral("CTGR")), nullptr);
    EXPECT_EQ(MiDataKind(u'N'), nullptr);
}

}  // namespace
}  // namespace fenmor
