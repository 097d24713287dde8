// Copy and print of the data list, and the help document shown in it.
#include "app/copy_print.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "app/system_printer.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

TEST(CopyText, SelectedLinesInListOrderUpToTheLimit) {
    const std::vector<QString> five = {"a", "b", "c", "d", "e"};
    EXPECT_EQ(CopyText(five, {0, 2, 4}), QStringLiteral("a\r\nc\r\ne\r\n"));
    EXPECT_EQ(CopyText(five, {}), QString());
    // Lines of 10,001 characters with CR LF: the third passes 30,000 and is the last taken.
    const std::vector<QString> longer(5, QString(9999, u'x'));
    EXPECT_EQ(CopyText(longer, {0, 1, 2, 3, 4}).size(), 30003);
    // Exactly 30,000 is not past the limit: the fourth line is taken too.
    const std::vector<QString> exact(5, QString(9998, u'x'));
    EXPECT_EQ(CopyText(exact, {0, 1, 2, 3, 4}).size(), 40000);
}

class CopyPrintTest : public WindowFixture {
  protected:
    void SetUp() override {
        start(StoredConfig(folder.path()));
        printer = std::make_unique<SystemPrinter>(
            [this] { return folder.path() + u'/'; },
            [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); });
        printer->setPdfOnly(true);
        window->setPrinter(printer.get());
        messages.shown.clear();
    }
    void fill(int count) {
        for (int i = 0; i < count; ++i)
            window->dataList().append(
                QStringLiteral("行%1 ザウルスのデータ").arg(i, 4, 10, QChar(u'0')));
    }
    void select(std::initializer_list<int> rows) {
        c().liD->clearSelection();
        for (int r : rows)
            c().liD->selectionModel()->select(window->dataList().index(r),
                                              QItemSelectionModel::Select);
    }
    QString pdf() const { return folder.path() + "/Fenmor-print-20240305-140709.pdf"; }
    // The printed text, one entry per non-empty line, and the page count.
    std::pair<QStringList, int> printed() const {
        QProcess p;
        p.start("pdftotext", {"-layout", pdf(), "-"});
        EXPECT_TRUE(p.waitForFinished(20000));
        // The font shares glyphs between some kanji and their radicals; NFKC maps them back.
        const QString text =
            QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
        QStringList lines;
        for (const QString& l : text.split(u'\n'))
            if (!l.trimmed().isEmpty()) lines.push_back(l.trimmed());
        return {lines, static_cast<int>(text.count(u'\f'))};
    }

    std::unique_ptr<SystemPrinter> printer;
};

TEST_F(CopyPrintTest, CopyPutsTheSelectedLinesOnTheClipboard) {
    fill(5);
    select({4, 1, 3});
    c().btCOPY->click();
    EXPECT_EQ(
        QGuiApplication::clipboard()->text(),
        QStringLiteral(
            "行0001 ザウルスのデータ\r\n行0003 ザウルスのデータ\r\n行0004 ザウルスのデータ\r\n"));
    EXPECT_TRUE(c().btCOPY->isVisibleTo(window.get()));
}

TEST_F(CopyPrintTest, PrintingEverythingGivesEveryLineInOrderOverPages) {
    fill(150);
    messages.answers = {kYes};
    c().btLP->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("全体を印刷しますか？\r\n[いいえ]で選択部分だけ印刷します。"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("データの簡易印刷"));
    EXPECT_EQ(messages.shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_TRUE(messages.shown[1].text.endsWith(pdf())) << messages.shown[1].text.toStdString();
    const auto [lines, pages] = printed();
    ASSERT_EQ(lines.size(), 150);
    for (int i = 0; i < 150; ++i)
        EXPECT_EQ(lines[i], window->dataList().lines()[static_cast<size_t>(i)]);
    EXPECT_EQ(pages, 2);  // 7-point lines: about 100 to an A4 page
    EXPECT_EQ(c().SSTab1->currentIndex(), 0);
}

TEST_F(CopyPrintTest, NoPrintsOnlyTheSelection) {
    fill(10);
    select({7, 2});
    messages.answers = {kNo};
    c().btLP->click();
    EXPECT_EQ(printed().first, (QStringList{"行0002 ザウルスのデータ", "行0007 ザウルスのデータ"}));
    QFile::remove(pdf());
    select({});
    messages.answers = {kNo};
    c().btLP->click();
    EXPECT_TRUE(QFile::exists(pdf()));  // a document without lines
    EXPECT_TRUE(printed().first.isEmpty());
}

TEST_F(CopyPrintTest, NothingIsPrintedFromAnEmptyListOrOnCancel) {
    c().btLP->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("印刷するデータはありません"));
    EXPECT_EQ(messages.shown[0].buttons, Buttons::Ok);
    EXPECT_TRUE(messages.shown[0].title.isEmpty());
    fill(3);
    messages.answers = {kCancel};
    c().btLP->click();
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_FALSE(QFile::exists(pdf()));
    EXPECT_EQ(c().SSTab1->currentIndex(), 0);
}

TEST_F(CopyPrintTest, AFailedPrintIsReported) {
    printer = std::make_unique<SystemPrinter>([this] { return folder.path() + "/no-such-folder/"; },
                                              [] { return QDateTime(); });
    printer->setPdfOnly(true);
    window->setPrinter(printer.get());
    fill(1);
    messages.answers = {kYes};
    c().btLP->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[1].text.startsWith(QStringLiteral("印刷できませんでした。")))
        << messages.shown[1].text.toStdString();
    EXPECT_EQ(messages.shown[1].icon, Icon::Exclamation);
}

TEST_F(CopyPrintTest, HelpShowsTheDocumentFromItsTop) {
    fill(3);
    QFile doc(folder.path() + "/Fenmor.txt");
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    QString text = QStringLiteral("Fenmor の使い方\r\n\r\n接続\r\n");
    for (int i = 0; i < 200; ++i) text += QStringLiteral("説明 %1\r\n").arg(i);
    doc.write(Sjis(text));
    doc.close();
    window->show();
    c().SSTab1->setCurrentIndex(1);
    c().btHELP->click();
    const std::vector<QString>& shown = window->dataList().lines();
    ASSERT_EQ(shown.size(), 203u);
    EXPECT_EQ(std::vector<QString>(shown.begin(), shown.begin() + 3),
              (std::vector<QString>{"Fenmor の使い方", "", "接続"}));
    EXPECT_EQ(shown.back(), QStringLiteral("説明 199"));
    QApplication::processEvents();  // nothing queued by the appends moves the list to its end
    EXPECT_EQ(c().liD->currentIndex().row(), 0);
    EXPECT_EQ(c().liD->indexAt(QPoint(2, 2)).row(), 0);
    EXPECT_EQ(c().SSTab1->currentIndex(), 0);
    EXPECT_TRUE(messages.shown.empty());

    QFile::remove(doc.fileName());
    c().btHELP->click();
    EXPECT_TRUE(window->dataList().lines().empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, folder.path() + "/Fenmor.txtファイルが見つかりません！");
}

}  // namespace
}  // namespace fenmor::test
