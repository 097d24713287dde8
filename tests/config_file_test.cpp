#include "settings/config_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <csignal>

#include "core/data_set.h"
#include "core/sjis.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

class FakeHost final : public ConfigHost {
  public:
    explicit FakeHost(QString folder) : folder_(std::move(folder)) {}
    OptionSet& options() override { return options_; }
    MessageService& messages() override { return messages_; }
    QString programFolder() const override { return folder_; }
    void runOpFHandler(int index) override { opFRuns.push_back(index); }
    void disableSpeedList() override { speedListDisabled = true; }
    WindowPlacement placement() const override { return current; }
    void place(const WindowPlacement& p) override {
        current = p;
        placed = true;
    }

    OptionStore options_;
    RecordingMessages messages_;
    std::vector<int> opFRuns;
    bool speedListDisabled = false;
    bool placed = false;
    WindowPlacement current{1000, 6480, 2000, 7680};

  private:
    QString folder_;
};

class ConfigFileTest : public ::testing::Test {
  protected:
    QString path() const { return dir.path() + "/Fenmor.CFG"; }
    QStringList lines() const {
        return sjis::Decode(ReadFile(path())).split(QStringLiteral("\r\n"));
    }
    void writeLines(const QStringList& l) const {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(sjis::Encode(l.join(QStringLiteral("\r\n")) + "\r\n"));
    }
    QTemporaryDir dir;
    FakeHost host{dir.path()};
    ConfigState state;
};

TEST_F(ConfigFileTest, FirstStartCreatesTheFile) {
    EXPECT_EQ(LoadConfig(host, state, path()), LoadResult::Created);
    const QStringList l = lines();
    ASSERT_EQ(l.size(), 33);  // 32 lines and the end after the last CR LF
    EXPECT_EQ(l[0], QStringLiteral("' Config.File for Fenmor"));
    EXPECT_EQ(l[1], QString());
    EXPECT_EQ(l[2], QStringLiteral("1000,6480,2000,7680"));
    EXPECT_EQ(l[4], QStringLiteral("0"));
    EXPECT_EQ(l[5], QStringLiteral("3,13"));  // complete at once: a kill cannot leave no port
    EXPECT_EQ(l[6], '"' + dir.path() + "/\"");
    EXPECT_EQ(l[15], QStringLiteral("\"2\",\"=\",\"60\",\"1\""));
    EXPECT_EQ(l[21], QStringLiteral(" 0 "));
    EXPECT_EQ(l[22], QStringLiteral("yyyy/mm/dd hh:nn"));
    EXPECT_EQ(l[25], QStringLiteral("!"));
    EXPECT_EQ(l.mid(27, 5), QStringList(5, QStringLiteral("#")));
    EXPECT_EQ(host.options_.value(Option::cobPT), 3);
    EXPECT_EQ(host.options_.value(Option::cobSP), 13);
    EXPECT_TRUE(host.speedListDisabled);
    EXPECT_FALSE(host.placed);
}

TEST_F(ConfigFileTest, SaveAndLoadGiveBackEveryOption) {
    OptionStore& o = host.options_;
    o.setValue(Option::opIR, 1);
    o.setValue(Option::cobPT, 0);
    o.setValue(Option::cobSP, 8);
    o.setText(Option::txDF0, QStringLiteral("/data/ザウルス"));
    o.setText(Option::txDF1, QStringLiteral("yyyy-mm-dd"));
    o.setValue(Option::ckSF1, 1);
    o.setValue(Option::opF, 1);
    o.setValue(Option::opCSV, 1);
    o.setText(Option::txCR, QStringLiteral("|"));
    o.setText(Option::txKAK, QStringLiteral("TXT"));
    o.setValue(Option::opSEPA, 2);
    o.setText(Option::txSEPA1, QStringLiteral("＊"));
    o.setValue(Option::ckDA, 0);
    o.setValue(Option::ckCSVD, 2);
    o.setText(Option::txYMD2, QStringLiteral("yy/m/d"));
    o.setValue(Option::ckCrc, 0);
    state.zTIT = kConfigTitle;
    state.zVER = QStringLiteral("1.1");
    state.zLOG = QStringLiteral("log");
    ASSERT_TRUE(SaveConfig(host, state, path()));
    EXPECT_EQ(o.text(Option::txDF0), QStringLiteral("/data/ザウルス/"));

    FakeHost loaded(dir.path());
    loaded.current = {};
    ConfigState st;
    EXPECT_EQ(LoadConfig(loaded, st, path()), LoadResult::Loaded);
    EXPECT_TRUE(loaded.messages_.shown.empty());
    for (int i = 0; i < kOptionCount; ++i) {
        const auto opt = static_cast<Option>(i);
        EXPECT_EQ(loaded.options_.value(opt), o.value(opt)) << InfoOf(opt).name;
        EXPECT_EQ(loaded.options_.text(opt), o.text(opt)) << InfoOf(opt).name;
    }
    EXPECT_EQ(loaded.opFRuns, std::vector<int>{1});
    EXPECT_EQ(loaded.current.top, 1000);
    EXPECT_EQ(loaded.current.width, 7680);
    EXPECT_EQ(st.zVER, QStringLiteral("1.1"));
    EXPECT_EQ(st.zLOG, QStringLiteral("log"));
    EXPECT_EQ(st.zDEF, QStringLiteral("/data/ザウルス/"));
}

TEST_F(ConfigFileTest, EndsOfTheFile) {
    ASSERT_EQ(LoadConfig(host, state, path()), LoadResult::Created);
    const QStringList full = lines().mid(0, 32);
    struct Row {
        const char* name;
        QStringList lines;
        LoadResult result;
        QString message;
        int ckCrc;
    } rows[] = {
        {"hash ends reading", full.mid(0, 25) + QStringList{"#"}, LoadResult::Loaded, {}, 1},
        {"stops after line 25", full.mid(0, 25), LoadResult::Failed,
         "予期しないエラー＃ 62 が発生しました！ファイルの終わりを超えて入力しようとしました。", 1},
        {"other marker", full.mid(0, 25) + QStringList{"?", " 0 "}, LoadResult::Loaded,
         "形式が違います", 1},
        {"ckCrc not a number",
         full.mid(0, 26) + QStringList{"x", "#", "#", "#", "#", "#"},
         LoadResult::Loaded,
         {},
         0},
    };
    for (const Row& r : rows) {
        writeLines(r.lines);
        FakeHost h(dir.path());
        ConfigState st;
        EXPECT_EQ(LoadConfig(h, st, path()), r.result) << r.name;
        EXPECT_EQ(h.placed, r.result == LoadResult::Loaded) << r.name;
        EXPECT_EQ(h.messages_.shown.empty(), r.message.isEmpty()) << r.name;
        if (!h.messages_.shown.empty()) {
            EXPECT_EQ(h.messages_.shown[0].text, r.message) << r.name;
        }
        EXPECT_EQ(h.options_.value(Option::ckCrc), r.ckCrc) << r.name;
        EXPECT_EQ(h.options_.value(Option::ckHkana), 1) << r.name;
    }
}

TEST_F(ConfigFileTest, BadValuesStopLoadingWhereTheyStand) {
    ASSERT_EQ(LoadConfig(host, state, path()), LoadResult::Created);
    const QStringList full = lines().mid(0, 32);
    struct Row {
        int line;
        QString text;
        QString message;
    } rows[] = {
        {5, "2", "予期しないエラー＃ 380 が発生しました！プロパティの値が不正です。"},
        {6, "3,16", "予期しないエラー＃ 380 が発生しました！プロパティの値が不正です。"},
        {15, "abc", "予期しないエラー＃ 13 が発生しました！型が一致しません。"},
    };
    for (const Row& r : rows) {
        QStringList l = full;
        l[r.line - 1] = r.text;
        writeLines(l);
        FakeHost h(dir.path());
        ConfigState st;
        EXPECT_EQ(LoadConfig(h, st, path()), LoadResult::Failed);
        ASSERT_EQ(h.messages_.shown.size(), 1u);
        EXPECT_EQ(h.messages_.shown[0].text, r.message);
        EXPECT_EQ(h.messages_.shown[0].title, QStringLiteral("ファイルエラー"));
        // Before line 7 or after it, the output folder is the program's, never the root folder.
        EXPECT_EQ(WithFinalSeparator(h.options_.text(Option::txDF0)), dir.path() + u'/') << r.line;
    }
}

// Hand-edited files: whatever a load accepts saves and loads back as the same options; what
// the file could not give back once saved is refused with the format message and named.
TEST_F(ConfigFileTest, HandEditedFilesLoadSaveAndLoadTheSame) {
    ASSERT_EQ(LoadConfig(host, state, path()), LoadResult::Created);
    const QList<QByteArray> full = ReadFile(path()).split('\n').mid(0, 32);
    struct Row {
        const char* name;
        int line;
        QByteArray text;
        int refusedLine;  // 0: loads without a message
        Option option;
        const char* value;
    } rows[] = {
        {"date quoted with a comma", 23, R"("yyyy/mm/dd,hh:nn")", 23, Option::txYMD2,
         "yyyy/mm/dd hh:nn"},
        {"date quoted with leading spaces", 23, R"("  yyyy/mm/dd")", 23, Option::txYMD2,
         "yyyy/mm/dd hh:nn"},
        {"date over two lines", 23, "\"yy\r\nmm\"", 23, Option::ckKUTO, "1"},
        {"date quoted with trailing spaces", 23, R"("yy/mm/dd  ")", 0, Option::txYMD2, "yy/mm/dd"},
        {"date with an inner quote", 23, R"(yy"mm)", 0, Option::txYMD2, "yy\"mm"},
        {"quote inside an unquoted text", 13, R"(/"x,"CSV")", 13, Option::txKAK, "CSV"},
        {"quote inside an unquoted folder", 7, R"(/data/a"b)", 7, Option::txDF0, ""},
        {"bytes that form no character", 14, "\"yy\xFFmm\"", 14, Option::txYMD, "yyyy-mm-dd(aaa)"},
        {"quote inside the unquoted log", 4, R"("",a"b)", 4, Option::txCR, "/"},
        {"unquoted texts with spaces", 16, " 3 , * ,40,2", 0, Option::txSEPA1, "*"},
        {"quoted text over two lines", 16, "\"2\",\"=\r\n=\",\"60\",\"1\"", 0, Option::txSEPA1,
         "=\r\n="},
        {"quoted numbers", 10, R"("0","1")", 0, Option::ckSF1, "1"},
    };
    for (const Row& r : rows) {
        QList<QByteArray> lines = full;
        lines[r.line - 1] = r.text + '\r';
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(lines.join('\n') + '\n');
        f.close();

        FakeHost first(dir.path());
        ConfigState st;
        EXPECT_EQ(LoadConfig(first, st, path()), LoadResult::Loaded) << r.name;
        const OptionStore& o = first.options_;
        const QString expected = QString::fromUtf8(r.value);
        EXPECT_EQ(InfoOf(r.option).kind == OptionKind::Text ? o.text(r.option)
                                                            : QString::number(o.value(r.option)),
                  r.option == Option::txDF0 ? dir.path() + u'/' : expected)
            << r.name;
        ASSERT_EQ(first.messages_.shown.size(), r.refusedLine ? 1u : 0u) << r.name;
        if (r.refusedLine) {
            const QStringList text = first.messages_.shown[0].text.split(kCrLf);
            EXPECT_EQ(text.value(0), QStringLiteral("形式が違います")) << r.name;
            EXPECT_TRUE(text.value(1).startsWith(QString::number(r.refusedLine) +
                                                 QStringLiteral(" 行目の「")))
                << r.name << ": " << text.value(1).toStdString();
        }

        ASSERT_TRUE(SaveConfig(first, st, path())) << r.name;
        FakeHost again(dir.path());
        ConfigState st2;
        EXPECT_EQ(LoadConfig(again, st2, path()), LoadResult::Loaded) << r.name;
        EXPECT_TRUE(again.messages_.shown.empty()) << r.name;
        for (int i = 0; i < kOptionCount; ++i) {
            const auto opt = static_cast<Option>(i);
            EXPECT_EQ(again.options_.value(opt), o.value(opt))
                << r.name << ": " << InfoOf(opt).name;
            EXPECT_EQ(again.options_.text(opt), o.text(opt)) << r.name << ": " << InfoOf(opt).name;
        }
        EXPECT_EQ(st2.zLOG, st.zLOG) << r.name;
    }
}

// A folder that Shift-JIS cannot hold is stored as the empty text, which reads back as the
// program's folder; only another folder than that is worth a message, once.
TEST_F(ConfigFileTest, FoldersTheFileCannotHoldReadBackAsTheProgramsFolder) {
    struct Row {
        const char* programFolder;
        const char* outputFolder;  // null: the program's folder
        bool told;
    } rows[] = {
        {"/opt/café", nullptr, false},
        {"/opt/fenmor", "/data/我们/", true},
        {"/opt/fenmor", "/data/〜/", true},  // U+301C would come back as U+FF5E
        {"/opt/say\"x\"", nullptr, false},
    };
    for (const Row& r : rows) {
        FakeHost h{QString::fromUtf8(r.programFolder)};
        ConfigState st;
        ASSERT_EQ(LoadConfig(h, st, path() + ".new"), LoadResult::Created) << r.programFolder;
        if (r.outputFolder) h.options_.setText(Option::txDF0, QString::fromUtf8(r.outputFolder));
        ASSERT_TRUE(SaveConfig(h, st, path() + ".new"));
        ASSERT_TRUE(SaveConfig(h, st, path() + ".new"));
        EXPECT_EQ(h.messages_.shown.size(), r.told ? 1u : 0u) << r.programFolder;
        if (r.told) {
            EXPECT_TRUE(h.messages_.shown[0].text.contains(QString::fromUtf8(r.outputFolder)));
        }
        EXPECT_EQ(sjis::Decode(ReadFile(path() + ".new")).split(kCrLf).value(6),
                  QStringLiteral("\"\""));

        FakeHost next{QString::fromUtf8(r.programFolder)};
        ConfigState st2;
        EXPECT_EQ(LoadConfig(next, st2, path() + ".new"), LoadResult::Loaded);
        EXPECT_EQ(next.options_.text(Option::txDF0), QString::fromUtf8(r.programFolder) + u'/');
        QFile::remove(path() + ".new");
    }
}

TEST_F(ConfigFileTest, EmptyFolderBecomesTheProgramFolder) {
    ASSERT_EQ(LoadConfig(host, state, path()), LoadResult::Created);
    QStringList l = lines().mid(0, 32);
    l[6] = QStringLiteral("\"/\"");
    writeLines(l);
    FakeHost h(QStringLiteral("/opt/fenmor"));
    ConfigState st;
    ASSERT_EQ(LoadConfig(h, st, path()), LoadResult::Loaded);
    EXPECT_EQ(h.options_.text(Option::txDF0), QStringLiteral("/opt/fenmor/"));
}

TEST_F(ConfigFileTest, MissingFolderIsReported) {
    FakeHost h(dir.path());
    EXPECT_EQ(LoadConfig(h, state, dir.path() + "/no/Fenmor.CFG"), LoadResult::Failed);
    ASSERT_EQ(h.messages_.shown.size(), 1u);
    EXPECT_TRUE(h.messages_.shown[0].text.startsWith(QStringLiteral("パスが見つかりません！\r\n")));
}

TEST_F(ConfigFileTest, FailedSaveLeavesTheOldFileWhole) {
    ASSERT_EQ(LoadConfig(host, state, path()), LoadResult::Created);
    const QByteArray before = ReadFile(path());
    // A file-size limit makes the write fail part way, for root too.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    host.options_.setValue(Option::ckDA, 0);
    const bool saved = SaveConfig(host, state, path());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(path()), before);
    EXPECT_EQ(host.messages_.shown.back().text, QStringLiteral("書き込みエラー"));
    EXPECT_EQ(host.messages_.shown.back().title, QStringLiteral("エラー"));
}

TEST_F(ConfigFileTest, ReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ASSERT_EQ(LoadConfig(host, state, path()), LoadResult::Created);
    const QByteArray before = ReadFile(path());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    host.options_.setValue(Option::ckDA, 0);
    EXPECT_FALSE(SaveConfig(host, state, path()));
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadFile(path()), before);
    EXPECT_EQ(host.messages_.shown.back().text, QStringLiteral("書き込みエラー"));
}

}  // namespace
}  // namespace fenmor::test
