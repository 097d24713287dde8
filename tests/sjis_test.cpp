#include "core/sjis.h"

#include <gtest/gtest.h>

#include "core/converter_check.h"
#include "tests/support/fakes.h"

namespace fenmor::sjis {
namespace {

TEST(Sjis, DecodesCodePage932) {
    struct Row {
        const char* name;
        QByteArray bytes;
        QString text;
    } rows[] = {
        {"ascii and controls", QByteArray("A\x1a\x1c\x7f\\~", 6),
         QStringLiteral("A\x1a\x1c\x7f\\~")},
        {"wave dash of the code page", "\x81\x60", QStringLiteral("～")},
        {"hiragana", "\x82\xa0", QStringLiteral("あ")},
        {"half-width katakana", "\xb1\xde", QStringLiteral("ｱﾞ")},
        {"NEC special row", "\x87\x40", QStringLiteral("①")},
        {"lone lead byte at the end", "A\x82", QString(u'A') + QChar(0)},
        {"lead byte with no trail", "\x82 A", QStringLiteral("\uFFFD A")},
        {"bytes outside the code page", "\x80\xa0\xfd", QStringLiteral("\uFFFD\uFFFD\uFFFD")},
    };
    for (const Row& r : rows) EXPECT_EQ(Decode(r.bytes), r.text) << r.name;
}

TEST(Sjis, EncodesWithQuestionMarkForMissingCharacters) {
    EXPECT_EQ(Encode(QStringLiteral("～あｱ①\\")), QByteArray("\x81\x60\x82\xa0\xb1\x87\x40\\"));
    EXPECT_EQ(Encode(QStringLiteral("€😀\uFFFD")), QByteArray("???"));
    EXPECT_EQ(Encode(QString(QChar(0))), QByteArray(1, '\0'));
}

TEST(Sjis, CodeOfCharacterIsSigned16Bit) {
    EXPECT_EQ(CodeOf(u'A'), 65);
    EXPECT_EQ(CodeOf(QChar(0xFF71)), 177);     // ｱ
    EXPECT_EQ(CodeOf(QChar(0x3042)), -32096);  // あ, 0x82A0
    EXPECT_EQ(CodeOf(QChar(0x4E9C)), -30561);  // 亜, 0x889F
    EXPECT_EQ(CodeOf(QChar(0x20AC)), 63);
}

TEST(Sjis, LoneLeadByteFollowsCharacterBoundaries) {
    EXPECT_TRUE(EndsWithLoneLeadByte("\x82"));
    EXPECT_TRUE(EndsWithLoneLeadByte("\x82\xa0\x82"));
    EXPECT_FALSE(EndsWithLoneLeadByte("\x82\x82"));  // a whole character whose trail is 0x82
    EXPECT_TRUE(EndsWithLoneLeadByte("\x82\x82\x82"));
    EXPECT_FALSE(EndsWithLoneLeadByte("\xb1"));
    EXPECT_FALSE(EndsWithLoneLeadByte(""));
}

TEST(Sjis, RoundTripsEveryValidPairOfTheCodePage) {
    int pairs = 0;
    for (int lead = 0x81; lead <= 0x9f; ++lead)
        for (int trail = 0x40; trail <= 0xfc; ++trail) {
            const QByteArray b{static_cast<char>(lead), static_cast<char>(trail)};
            const QString t = Decode(b);
            if (t == QStringLiteral("\uFFFD") || (lead == 0x87 && trail >= 0x90)) continue;
            ++pairs;
            EXPECT_EQ(Encode(t), b) << std::hex << lead << trail;
        }
    EXPECT_GT(pairs, 5000);
}

TEST(Sjis, StartCheckAcceptsOnlyAConverterThatMapsLikeCodePage932) {
    struct Row {
        const char* codePage;
        bool works;
    } rows[] = {{"CP932", true},
                {"SHIFT_JIS", false} /* no NEC row */,
                {"ISO-8859-1", false},
                {"NO-SUCH-CODE-PAGE", false}};
    for (const Row& r : rows) {
        test::RecordingMessages messages;
        EXPECT_EQ(ConverterWorks(r.codePage), r.works) << r.codePage;
        EXPECT_EQ(CheckConverter(messages, r.codePage), r.works) << r.codePage;
        ASSERT_EQ(messages.shown.size(), r.works ? 0u : 1u) << r.codePage;
        if (r.works) continue;
        EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("Shift-JIS")));
        EXPECT_EQ(messages.shown[0].icon, Icon::Exclamation);
        EXPECT_EQ(messages.shown[0].buttons, Buttons::Ok);
    }
}

}  // namespace
}  // namespace fenmor::sjis
