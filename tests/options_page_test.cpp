// The options page: controls that enable, disable and recolour each other, the extension
// question, and text boxes that refuse what the configuration file could not keep.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/entry_validators.h"
#include "app/main_window.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

const QColor kGrey(128, 128, 128);
const QColor kBlack(0, 0, 0);

class OptionsPageTest : public WindowFixture {
  protected:
    // Starts the program with the stored options, line n of the file replaced by each change.
    void start(std::initializer_list<std::pair<int, QString>> changes = {}) {
        QStringList lines = StoredConfig(folder.path());
        for (const auto& [line, text] : changes) lines[line - 1] = text;
        WindowFixture::start(lines);
        ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text.toStdString();
    }
    // The separator boxes' enabled states, txSEPA(0) first.
    std::vector<bool> separatorBoxes() const {
        std::vector<bool> on;
        for (QLineEdit* b : c().txSEPA) on.push_back(b->isEnabled());
        return on;
    }
    void expectDiaryControls(bool enabled, const QColor& labels) const {
        EXPECT_EQ(c().Frame2[0]->isEnabled(), enabled);
        EXPECT_EQ(c().ckDA->isEnabled(), enabled);
        EXPECT_EQ(c().txYMD->isEnabled(), enabled);
        for (QRadioButton* b : c().opSEPA) EXPECT_EQ(b->isEnabled(), enabled);
        EXPECT_EQ(separatorBoxes(), std::vector<bool>(4, enabled));
        for (int i = 0; i <= 8; ++i)
            EXPECT_EQ(c().laSEPA[static_cast<size_t>(i)]->palette().color(QPalette::WindowText),
                      labels)
                << i;
    }
};

TEST_F(OptionsPageTest, DesignValuesLeaveTheDesignState) {
    start();
    expectDiaryControls(true, c().laSEPA[9]->palette().color(QPalette::WindowText));
    EXPECT_FALSE(c().txFME->isEnabled());  // the naming handler always runs while loading
    EXPECT_FALSE(c().btOPEN->isEnabled());
    EXPECT_TRUE(c().txDF[1]->isEnabled());
}

TEST_F(OptionsPageTest, SchedulesAsSeparatedValuesDisableTheirOwnControls) {
    start({{kCsvDiaryLine, " 1 "}});
    expectDiaryControls(false, kGrey);
    c().ckCSVD->click();  // clear: everything back, whatever separator style is selected
    expectDiaryControls(true, kBlack);
    window->session().opt.setValue(Option::ckCSVD, 2);  // only a file brings this
    expectDiaryControls(false, kBlack);
}

TEST_F(OptionsPageTest, SeparatorStyleEnablesItsOwnBoxes) {
    start({{kSeparatorLine, "2"}});
    EXPECT_EQ(separatorBoxes(), (std::vector<bool>{false, true, true, true}));
    struct Row {
        int style;
        std::vector<bool> boxes;
    } rows[] = {{0, {false, false, false, false}},
                {1, {true, false, false, false}},
                {2, {false, true, true, true}}};
    for (const Row& r : rows) {
        c().opSEPA[static_cast<size_t>(r.style)]->click();
        EXPECT_EQ(separatorBoxes(), r.boxes) << r.style;
    }
}

TEST_F(OptionsPageTest, NamingSwitchesBetweenFileNameAndNameFormat) {
    start({{kNamingLine, "1"}});
    EXPECT_TRUE(c().txFME->isEnabled());
    EXPECT_TRUE(c().btOPEN->isEnabled());
    EXPECT_FALSE(c().txDF[1]->isEnabled());
    c().opF[0]->click();
    EXPECT_FALSE(c().txFME->isEnabled());
    EXPECT_FALSE(c().btOPEN->isEnabled());
    EXPECT_TRUE(c().txDF[1]->isEnabled());
}

TEST_F(OptionsPageTest, ExtensionQuestionComesFromTheSecondRunOfTheStyleHandler) {
    // Stored comma style: loading runs no handler, so the user's first change is silent.
    start();
    c().opCSV[1]->click();
    EXPECT_TRUE(messages.shown.empty());
    messages.answers = {kYes};
    c().opCSV[0]->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("カンマ区切りに切り替えます！\r\n拡張子を CSV にしますか？（推奨）"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("拡張子選択"));
    EXPECT_EQ(messages.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(messages.shown[0].icon, Icon::None);
    EXPECT_EQ(c().txKAK->text(), QStringLiteral("CSV"));
}

TEST_F(OptionsPageTest, StoredTabStyleArmsTheQuestionWhileLoading) {
    start({{kStyleLine, "1"}, {13, R"("/","DAT")"}});
    EXPECT_TRUE(messages.shown.empty());
    messages.answers = {kNo};
    c().opCSV[0]->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(c().opCSV[0]->isChecked());  // No keeps the style and the extension
    EXPECT_EQ(c().txKAK->text(), QStringLiteral("DAT"));
    messages.answers = {kYes};
    c().opCSV[1]->click();
    EXPECT_EQ(messages.shown.back().text,
              QStringLiteral("タブ区切りに切り替えます！\r\n拡張子を TXT にしますか？（推奨）"));
    EXPECT_EQ(c().txKAK->text(), QStringLiteral("TXT"));
    EXPECT_EQ(window->session().Ret, kYes);
}

TEST(StoredTexts, ProblemsAreFoundWhereTheFileCouldNotKeepThem) {
    struct Row {
        QString text;
        bool quotedOk, unquotedOk;
    } rows[] = {
        {"yyyy/mm/dd hh:nn", true, true},
        {"a, b", true, false},
        {" leading", true, false},
        {"trailing ", true, false},
        {"say \"x\"", false, true},
        {"\"quoted", false, false},
        {"ザウルス～①", true, true},
        {QString::fromUtf8("\xF0\x9F\x98\x80"), false, false},  // an emoji: no Shift-JIS code
        {"?", true, true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(QuotedTextProblem(r.text).isEmpty(), r.quotedOk) << r.text.toStdString();
        EXPECT_EQ(UnquotedTextProblem(r.text).isEmpty(), r.unquotedOk) << r.text.toStdString();
    }
}

TEST_F(OptionsPageTest, TypedTextsAlwaysReadBack) {
    start();
    c().txDF[1]->clear();
    QTest::keyClicks(c().txDF[1], QStringLiteral("ab\"cd"));
    EXPECT_EQ(c().txDF[1]->text(), QStringLiteral("abcd"));
    c().txYMD2->clear();
    QTest::keyClicks(c().txYMD2, QStringLiteral(" yy,mm dd "));
    EXPECT_EQ(c().txYMD2->text(), QStringLiteral("yymm dd "));  // the trailing space, while typing
    c().txYMD2->setFocus();
    QTest::keyClick(c().txYMD2, Qt::Key_Return);
    EXPECT_EQ(c().txYMD2->text(), QStringLiteral("yymm dd"));

    window->close();
    const QStringList saved = ReadConfig(folder.path() + "/Fenmor.CFG");
    EXPECT_EQ(saved[7], QStringLiteral("\"abcd\""));
    EXPECT_EQ(saved[kDateLine - 1], QStringLiteral("yymm dd"));
}

}  // namespace
}  // namespace fenmor::test
