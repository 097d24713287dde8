// For tests of the window: a pseudo-terminal as the PDA's end of the cable, waiting on the
// event loop, and configuration files as the program writes them.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

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

  private:
    int master_ = -1, slave_ = -1;
    char name_[128] = {};
};

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

}  // namespace fenmor::test
