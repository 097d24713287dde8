// For tests of the window: a pseudo-terminal as the PDA's end of the cable, waiting on the
// event loop, and configuration files as the program writes them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "app/main_window.h"
#include "app/server_page.h"
#include "tests/support/fakes.h"

namespace fenmor::test {

// The far end of the cable.
class FarEnd {
  public:
    FarEnd();
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;
    [[nodiscard]] QString device() const { return QString::fromLocal8Bit(name_); }
    void send(const QByteArray& bytes) const;
    void closeMaster();
    // Makes COM4 of a program whose folder is folder lead to this line (dosdevices/com4).
    [[nodiscard]] bool pluggedInAsCom4(const QString& folder) const;

  private:
    int master_ = -1, slave_ = -1;
    char name_[128] = {};
};

// Answers each question for a password with answer (none: the user cancels it), and counts them.
class CountingPrompt final : public PasswordPrompt {
  public:
    explicit CountingPrompt(std::optional<QString> answer = std::nullopt)
        : answer_(std::move(answer)) {}
    std::optional<QString> ask(const QString&, const QString&) override {
        ++asked;
        return answer_;
    }
    int asked = 0;

  private:
    std::optional<QString> answer_;
};

// Points the window's page "送信先" at url as user, asking prompt for the password.
ServerPage& PointServerPage(frmZ2P& window, const QString& url, const QString& user,
                            PasswordPrompt* prompt);

// Processes events until done() holds or the time is up.
template <typename F>
bool WaitFor(F done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

inline void Pause(int ms) {
    WaitFor([] { return false; }, ms);
}

// An action list as the PDA sends it: the header when from is 0, then count data lines
// "項目<n>" with the memo "ﾒﾓ" and the mark "済".
[[nodiscard]] QByteArray ActionList(int from, int count);

// The 32 lines of a configuration file with the window's design options, except that the
// port stays closed at start-up (ckPT clear), COM4 at 115200 is chosen and output goes to folder.
[[nodiscard]] QStringList StoredConfig(const QString& folder);
// Line numbers from 1, as the file's description counts them.
enum ConfigLine {
    kVersionLine = 2,
    kPlacementLine = 3,
    kPortLine = 6,
    kFolderLine = 7,
    kNamingLine = 11,
    kStyleLine = 12,
    kSeparatorLine = 15,
    kTimerLine = 18,
    kPortAtStartLine = 19,
    kCsvDiaryLine = 22,
    kDateLine = 23,
    kMarkerLine = 26
};
void WriteConfig(const QString& path, const QStringList& lines);
[[nodiscard]] QStringList ReadConfig(const QString& path);

// The window of a program started from a temporary folder, its messages recorded: the
// fixture of the window's tests.
class WindowFixture : public ::testing::Test {
  protected:
    // Writes config as Fenmor.CFG (none when empty) and makes the window as the program does.
    void create(const QStringList& config = {}, int pinPollMs = 50);
    // Makes the window and loads it.
    void start(const QStringList& config = {}, int pinPollMs = 50);
    // Makes COM4 of the program's folder reach the far end of the cable.
    void linkCom4(const FarEnd& far) const;
    [[nodiscard]] const Controls& c() const { return window->controls(); }
    [[nodiscard]] QString path(const QString& name) const { return folder.path() + u'/' + name; }

    QTemporaryDir folder;
    RecordingMessages messages;
    std::unique_ptr<frmZ2P> window;
};

}  // namespace fenmor::test
