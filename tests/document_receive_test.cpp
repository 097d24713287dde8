#include "core/document_receive.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

TEST(DecodeFourToThree, DecodesGroups) {
    struct Row {
        QString text;
        QByteArray bytes;
        bool lone;
    } rows[] = {
        {"vWmP", "{\\r", false},
        {"vWmPAa", "{\\r\x86", false},
        {"vWmPA", "{\\r", true},
        {"", "", false},
        {"50A", "\x05@", false},  // "A" (000110) gives the second byte its
                                  // bit 6
        {"v mP", "{{r", false},   // a space repeats the value before it
    };
    for (const Row& r : rows) {
        bool lone = false;
        EXPECT_EQ(DecodeFourToThree(r.text, &lone), r.bytes) << r.text.toStdString();
        EXPECT_EQ(lone, r.lone) << r.text.toStdString();
    }
}

TEST(DocumentName, UsesTheTitleOnlyWhenItIsSafe) {
    struct Row {
        QString title, modified, name;
    } rows[] = {
        {"memo", "20010315123045", "memo"},
        {"a.b", "20010315123045", "20010315123045"},
        {"../x", "20010315123045", "20010315123045"},
        {"tab\there", "1", "1"},
        {"", "1", ""},
        {"q?", "../../etc/x", ".._.._etc_x"},
        {"q?", "a\nb", "a_b"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(DocumentName(r.title, r.modified), r.name) << r.title.toStdString();
}

class ReceiveDocumentTest : public ::testing::Test {
  protected:
    void receive(const QString& title, const QString& content) {
        h.session.zKINO = QStringLiteral("MW");
        h.session.DataRecord[4] = QStringLiteral("20010315123045");
        h.session.DataRecord[9] = title;
        h.session.DataRecord[10] = content;
        ReceiveDocument(h.session);
    }
    void touch(const QString& name, const QByteArray& content) {
        QFile f(h.folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    Harness h;
};

TEST_F(ReceiveDocumentTest, NeverReplacesAnExistingFileEvenAnEmptyOne) {
    touch("memo.RTF", "old");
    touch("memo(1).rtf", "");
    receive("memo", "vWmP");
    EXPECT_EQ(h.session.zRTF, h.folder + "memo(2).rtf");
    EXPECT_EQ(ReadFile(h.folder + "memo(2).rtf"), QByteArray("{\\r"));
    EXPECT_EQ(ReadFile(h.folder + "memo.RTF"), QByteArray("old"));
    EXPECT_EQ(h.list.lines, (std::vector<QString>{"ワープロデータ受信",
                                                  "保存ファイル名：" + h.folder + "memo(2).rtf",
                                                  "  (修正時刻：2001/03/15 21/30/45)"}));
}

TEST_F(ReceiveDocumentTest, KeepsCountingPastOneHundred) {
    touch("m.RTF", "x");
    for (int i = 1; i <= 101; ++i) touch("m(" + QString::number(i) + ").rtf", "x");
    receive("m", "vWmP");
    EXPECT_EQ(h.session.zRTF, h.folder + "m(102).rtf");
}

TEST_F(ReceiveDocumentTest, ATitleTooLongForAFileNameIsShortenedNotLost) {
    const QString title = QString(100, QChar(0x6F22));  // 300 bytes in UTF-8
    receive(title, "vWmP");
    receive(title, "vWmP");
    EXPECT_TRUE(h.messages.shown.empty());
    const QStringList saved = QDir(h.folder).entryList(QDir::Files);
    ASSERT_EQ(saved.size(), 2);
    for (const QString& name : saved) {
        EXPECT_LE(QFile::encodeName(name).size(), 255);
        EXPECT_EQ(ReadFile(h.folder + name), QByteArray("{\\r"));
    }
}

TEST_F(ReceiveDocumentTest, LoneLastCharacterIsReportedAfterTheBytesBeforeIt) {
    receive("five", "vWmPA");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text, QStringLiteral("エラー：残りバイト数が１バイトです！"));
    EXPECT_EQ(ReadFile(h.folder + "five.RTF"), QByteArray("{\\r"));
}

TEST_F(ReceiveDocumentTest, MissingFolderGivesThePathMessage) {
    h.session.zDEF = h.folder + "gone/";
    receive("memo", "vWmP");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text, "[" + h.folder + "gone/memo.RTF] パスが見つかりません！");
    EXPECT_EQ(h.messages.shown[0].title, QStringLiteral("ファイルエラー"));
}

TEST_F(ReceiveDocumentTest, OtherKindsAreIgnored) {
    h.session.zKINO = QStringLiteral("MS");
    ReceiveDocument(h.session);
    EXPECT_TRUE(h.list.lines.empty());
}

}  // namespace
}  // namespace fenmor::test
