#include "core/output_file_selection.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

// Answers each showing of the dialog from a script; nothing left means Cancel.
class ScriptedDialog final : public FileDialog {
  public:
    std::optional<QString> showOpen(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (choices.empty()) return std::nullopt;
        auto c = choices.front();
        choices.pop_front();
        return c;
    }
    std::deque<std::optional<QString>> choices;
    std::vector<FileDialogRequest> requests;
};

class BrowseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.options.setText(Option::txFME, QStringLiteral("earlier.txt"));
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    Harness h;
    ScriptedDialog dialog;
    const QString existing = h.folder + "old.txt";
    const QString fresh = h.folder + "new.data";
};

TEST_F(BrowseTest, DialogStartsInTheOutputFolderWithTheTwoFilters) {
    btOPEN_Click(h.session, dialog);
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].title, QStringLiteral("出力ファイル名"));
    EXPECT_EQ(dialog.requests[0].filter,
              QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.TXT)|*.TXT|すべてのﾌｧｲﾙ (*.*)|*.*"));
    EXPECT_EQ(dialog.requests[0].initialFolder, h.folder);
    EXPECT_TRUE(dialog.requests[0].fileName.isEmpty());
    EXPECT_EQ(h.options.text(Option::txFME), QStringLiteral("earlier.txt"));
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST_F(BrowseTest, ChoicesAndAnswers) {
    struct Row {
        const char* what;
        std::vector<std::optional<QString>> choices;
        std::vector<short> answers;
        QString txFME;  // empty: unchanged
        QString zFME;
        int dialogs;
    } rows[] = {
        {"new file, taken as it is", {fresh}, {}, fresh, fresh, 1},
        {"existing file, Yes", {existing}, {kYes}, existing, existing, 1},
        {"existing file, No", {existing}, {kNo}, {}, existing, 1},
        {"existing file, Cancel, then cancelled dialog", {existing}, {kCancel}, {}, existing, 2},
        {"existing file, Cancel, then a new file", {existing, fresh}, {kCancel}, fresh, fresh, 2},
        {"a folder is not an existing file", {h.folder}, {}, h.folder, h.folder, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        h.options.setText(Option::txFME, QStringLiteral("earlier.txt"));
        h.messages.shown.clear();
        h.messages.answers.assign(r.answers.begin(), r.answers.end());
        dialog.requests.clear();
        dialog.choices.assign(r.choices.begin(), r.choices.end());
        btOPEN_Click(h.session, dialog);
        EXPECT_EQ(h.options.text(Option::txFME),
                  r.txFME.isEmpty() ? QStringLiteral("earlier.txt") : r.txFME);
        EXPECT_EQ(h.session.zFME, r.zFME);
        EXPECT_EQ(static_cast<int>(dialog.requests.size()), r.dialogs);
        EXPECT_EQ(h.messages.shown.size(), r.answers.size());
    }
}

TEST_F(BrowseTest, OverwriteQuestionNamesTheFile) {
    h.messages.answers = {kYes};
    dialog.choices = {existing};
    btOPEN_Click(h.session, dialog);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    const ShownMessage& m = h.messages.shown[0];
    EXPECT_EQ(m.text, "既存のファイル " + existing + " を上書きしますか ?");
    EXPECT_EQ(m.buttons, Buttons::YesNoCancel);
    EXPECT_EQ(m.icon, Icon::Question);
    EXPECT_TRUE(m.title.isEmpty());
    EXPECT_EQ(h.session.Ret, kYes);
}

}  // namespace
}  // namespace fenmor::test
