#include "core/char_conversions.h"

#include <gtest/gtest.h>

namespace fenmor {
namespace {

TEST(ConvertHalfWidthKana, ReplacesPiCodes) {
    struct Row {
        QByteArray in, out;
    } rows[] = {
        {"\xec\xaa", "\xb6\xde"},          // ｶﾞ
        {"\xec\xcf", "\xca\xdf"},          // ﾊﾟ
        {"\xec\xf2", "\xb3\xde"},          // ｳﾞ
        {"\xec\xdc", "\xb3\xde"},          // the table's last entry
        {"\xec\xc7", "\xc4\xde"},          // ﾄﾞ
        {"\xec\xab", "\xec\xab"},          // no replacement
        {"\xec\xa9", "\xec\xa9"},          // below the table
        {"\xec\xdd", "\xec\xdd"},          // above it
        {"A\xec", "A\xec"},                // a lone prefix at the end
        {"\xec\xec\xaa", "\xec\xb6\xde"},  // the second 0xEC starts the pair
        {"\x82\xec\xb0", "\x82\xb9\xde"},  // a trail byte 0xEC counts too
        {"", ""},
    };
    for (const Row& r : rows) EXPECT_EQ(ConvertHalfWidthKana(r.in), r.out) << r.in.toHex().constData();
}

TEST(KanaTable, Has51Entries) {
    EXPECT_EQ(KanaTable().size(), 102);
    EXPECT_EQ(KanaTable().mid(100, 2), QStringLiteral("ｳﾞ"));
}

TEST(ConvertPunctuation, WidensOnlyCommaAndStop) {
    EXPECT_EQ(ConvertPunctuation(QStringLiteral("ﾃｽﾄ､OK｡")), QStringLiteral("ﾃｽﾄ、OK。"));
}

TEST(WidenHalfWidthKana, WidensRunsAndJoinsSoundMarks) {
    struct Row {
        QString in, out;
    } rows[] = {
        {QStringLiteral("ABCｶﾞｲﾄﾞ｡"), QStringLiteral("ABCガイド。")},
        {QStringLiteral("ﾊﾟｿｺﾝ ｳﾞｧｲｵﾘﾝ"), QStringLiteral("パソコン ヴァイオリン")},
        {QStringLiteral("｢ｰ･､｣"), QStringLiteral("「ー・、」")},
        {QStringLiteral("ﾞAﾟ"), QStringLiteral("゛A゜")},
        {QStringLiteral("ｱﾞ"), QStringLiteral("ア゛")},
        {QStringLiteral("カﾞ"), QStringLiteral("カ゛")},  // the mark's run starts after カ
        {QStringLiteral("全角ＡＢＣ123"), QStringLiteral("全角ＡＢＣ123")},
        {QString(), QString()},
    };
    for (const Row& r : rows) EXPECT_EQ(WidenHalfWidthKana(r.in), r.out) << r.in.toStdString();
}

}  // namespace
}  // namespace fenmor
