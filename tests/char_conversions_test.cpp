#include "core/char_conversions.h"

#include <gtest/gtest.h>

#include "core/sjis.h"

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
    for (const Row& r : rows)
        EXPECT_EQ(ConvertHalfWidthKana(r.in), r.out) << r.in.toHex().constData();
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
        // Shift-JIS has no ヷ or ヺ: the kana and the spacing mark.
        {QStringLiteral("ﾜﾞｲﾝ ｦﾞ ｶﾞｲﾄﾞ｡"), QStringLiteral("ワ゛イン ヲ゛ ガイド。")},
        {QString(), QString()},
    };
    for (const Row& r : rows) EXPECT_EQ(WidenHalfWidthKana(r.in), r.out) << r.in.toStdString();
}

// Every half-width character with each sound mark: the result is what Shift-JIS holds, and it
// still says the same (the kana, then its mark, whether joined or not).
TEST(WidenHalfWidthKana, GivesOnlyCharactersShiftJisHoldsForEveryKanaAndMark) {
    for (char16_t k = 0xFF61; k <= 0xFF9F; ++k) {
        for (const char16_t mark : {u'\uFF9E', u'\uFF9F'}) {
            const QString in = QString(QChar(k)) + QChar(mark);
            const QString out = WidenHalfWidthKana(in);
            EXPECT_EQ(sjis::Decode(sjis::Encode(out)), out) << in.toStdString();
            QString meaning = out;
            meaning.replace(QChar(0x309B), QChar(0x3099)).replace(QChar(0x309C), QChar(0x309A));
            EXPECT_EQ(meaning.normalized(QString::NormalizationForm_D),
                      in.normalized(QString::NormalizationForm_KD))
                << in.toStdString();
        }
    }
}

TEST(WidenHalfWidthKana, JoinsWhatTheEncodingHolds) {
    const auto everything = [](QChar) { return true; };
    EXPECT_EQ(WidenHalfWidthKana(QStringLiteral("ﾜﾞｦﾞｶﾞ"), everything), QStringLiteral("ヷヺガ"));
}

}  // namespace
}  // namespace fenmor
