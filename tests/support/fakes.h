// Fakes for the services the processing shows things through, and a session built on them.
#pragma once

#include <QDateTime>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "core/option_set.h"
#include "core/services.h"
#include "core/session.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace fenmor::test {

struct ShownMessage {
    QString text;
    Buttons buttons;
    Icon icon;
    QString title;
};

class RecordingMessages final : public MessageService {
  public:
    short show(const QString& text, Buttons buttons, Icon icon, const QString& title) override {
        shown.push_back({text, buttons, icon, title});
        if (onShow) onShow(shown.back());  // what happens while the box is open
        if (!answers.empty()) {
            const short a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::YesNo ? kNo : kOk;
    }
    std::vector<ShownMessage> shown;
    std::deque<short> answers;
    std::function<void(const ShownMessage&)> onShow;
};

class RecordingList final : public DataList {
  public:
    void clear() override {
        lines.clear();
        ++clears;
    }
    void append(const QString& line) override { lines.push_back(line); }
    std::vector<QString> lines;
    int clears = 0;
};

class RecordingStatus final : public StatusLabel {
  public:
    void setText(const QString& text, bool) override { texts.push_back(text); }
    std::vector<QString> texts;
};

// A session with recording services, options at their design values, output into a
// temporary folder and the clock fixed at 2024-03-05 14:07:09.
struct Harness {
    Harness() : session(options, messages, list, status) {
        folder = dir.path() + u'/';
        options.setText(Option::txDF0, folder);
        session.zDEF = folder;
        session.now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); };
    }
    QTemporaryDir dir;
    QString folder;
    OptionStore options;
    RecordingMessages messages;
    RecordingList list;
    RecordingStatus status;
    Session session;
};

// An output file on a full device that fails at its first write, for as long as it lives.
class FullDeviceOutput {
  public:
    explicit FullDeviceOutput(Session& s) : threshold_(OutputFile::flushThreshold) {
        OutputFile::flushThreshold = 0;
        s.nFR2 = OutputFile::open(QStringLiteral("/dev/full"), nullptr);
    }
    ~FullDeviceOutput() { OutputFile::flushThreshold = threshold_; }
    FullDeviceOutput(const FullDeviceOutput&) = delete;
    FullDeviceOutput& operator=(const FullDeviceOutput&) = delete;

  private:
    qsizetype threshold_;
};

// Files that fail once they would grow past `bytes` (a file-size limit, with the signal that
// would end the process ignored), for as long as it lives; unbuffered: each write goes through.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(unsigned long long bytes, bool unbuffered = true);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    qsizetype threshold_;
    unsigned long long soft_;
    void (*signal_)(int);
};

// Text to the Shift-JIS bytes the PDA would send.
QByteArray Sjis(const QString& text);
// The whole content of a file, or empty.
QByteArray ReadFile(const QString& path);

}  // namespace fenmor::test
