#include "core/help_document.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "core/sjis.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

class HelpTest : public ::testing::Test {
  protected:
    void write(const QByteArray& bytes) const {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Harness h;
    const QString folder = h.dir.path();
    const QString path = folder + "/Fenmor.txt";
};

TEST_F(HelpTest, LinesOfTheDocumentReplaceTheList) {
    struct Row {
        const char* what;
        QByteArray bytes;
        std::vector<QString> lines;
    } rows[] = {
        {"CR LF", Sjis("使い方\r\n\r\n1. 接続\r\n"), {"使い方", "", "1. 接続"}},
        {"CR alone, last line unterminated", Sjis("a\rb\rc"), {"a", "b", "c"}},
        {"LF alone, as edited here", Sjis("a\nb\n"), {"a", "b"}},
        {"empty document", {}, {}},
        {"half-width katakana and U+FF5E", Sjis("ｶﾅ") + "\x81\x60", {"ｶﾅ～"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        h.list.lines = {"from the last transfer"};
        write(r.bytes);
        ShowHelpDocument(h.session, folder);
        EXPECT_EQ(h.list.lines, r.lines);
        EXPECT_TRUE(h.messages.shown.empty());
    }
}

TEST_F(HelpTest, UnreadableDocumentsAreReported) {
    h.list.lines = {"old"};
    ShowHelpDocument(h.session, folder);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text, path + "ファイルが見つかりません！");
    EXPECT_EQ(h.messages.shown[0].title, QStringLiteral("ファイルエラー"));
    EXPECT_EQ(h.messages.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(h.messages.shown[0].icon, Icon::None);
    EXPECT_TRUE(h.list.lines.empty());

    const QString missing = folder + "/gone";
    ShowHelpDocument(h.session, missing);
    EXPECT_EQ(
        h.messages.shown.back().text,
        missing + "/Fenmor.txt" + "パスが見つかりません！\r\n正しいファイル名ではありません！");

    if (geteuid() != 0) {  // root reads anything
        write("x");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        ShowHelpDocument(h.session, folder);
        EXPECT_EQ(
            h.messages.shown.back().text,
            QStringLiteral("予期しないエラー＃ 70 が発生しました！読み込みが許可されていません。"));
    }
}

#ifdef FENMOR_HELP_DOCUMENT
// The document the build puts beside the program reads as the program reads it.
TEST(BuiltHelpDocument, IsShiftJisWithCrLf) {
    const QByteArray bytes = ReadFile(QStringLiteral(FENMOR_HELP_DOCUMENT));
    ASSERT_GT(bytes.size(), 2000);
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\r'));
    const QString text = sjis::Decode(bytes);
    EXPECT_FALSE(text.contains(QChar(0xFFFD)));
    EXPECT_EQ(sjis::Encode(text), bytes);
    for (const QString& line : text.split(QStringLiteral("\r\n")))
        EXPECT_LE(line.size(), 100) << line.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("通信終了？")));
}
#endif

}  // namespace
}  // namespace fenmor::test
