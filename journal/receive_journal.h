// The receive journal: every block the port delivers is appended, unchanged, to a file of its
// transfer, so that a crash, a kill or a power loss does not lose what has arrived.
#pragma once

#include <unistd.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <map>

#include "journal/sync_worker.h"
#include "journal/transfer_journal.h"

namespace fenmor {

// In the second settings file, group [journal]: enabled=false writes no journal at all;
// keep=N keeps the last N processed transfers (0 removes each once it is processed).
inline const QString kJournalEnabledKey = QStringLiteral("journal/enabled");
inline const QString kJournalKeepKey = QStringLiteral("journal/keep");
inline constexpr int kJournalKeepDefault = 20;

struct JournalSettings {
    bool enabled = true;
    int keep = kJournalKeepDefault;
};
// Reads the settings; a value that means nothing (keep=-1, enabled=maybe) leaves the default
// and is said in *problem.
[[nodiscard]] JournalSettings ReadJournalSettings(const QString& iniPath,
                                                  QString* problem = nullptr);

class ReceiveJournal final : public TransferJournal {
  public:
    ReceiveJournal(QString folder, JournalSettings settings);
    ~ReceiveJournal() override;  // an unprocessed transfer's file stays, synced, for recovery

    void received(const QByteArray& block) override;
    QString transferEnded() override;
    void converted(const QString& path, const QStringList& writtenFiles) override;
    void keepUnconverted(const QString& path) override;
    void leaveUnconverted(const QString& path) override;
    // The transfer just received was converted without a file of its own.
    void processed() { converted(transferEnded(), {}); }

    // Called on the window's thread, once per transfer, when the journal cannot be written.
    std::function<void(const QString&)> onFailure;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Makes a journal file's data durable, on the worker's thread; tests count the calls.
    std::function<int(int)> syncData = [](int fd) { return ::fdatasync(fd); };

    [[nodiscard]] const QString& folder() const { return folder_; }
    [[nodiscard]] const JournalSettings& settings() const { return settings_; }
    // The journal file of the transfer being received, or empty.
    [[nodiscard]] const QString& currentPath() const { return path_; }
    // Returns once every sync, rename and removal asked for so far has been done.
    void waitForDisk() { worker_.drain(); }

  private:
    bool openFile();
    void fail(const QString& detail);
    void closeFile();
    bool fileRemoved() const;
    // The state change, then the end of the lock held since the transfer ended.
    void finish(const QString& path, std::function<void()> change);

    QString folder_;
    JournalSettings settings_;
    int fd_ = -1;
    QString path_;
    bool failed_ = false;  // this transfer's journal failed: said once, not tried again
    qint64 sequence_ = 0;  // the last number given; read from the folder at the first file
    std::map<QString, int> ending_;  // ended transfers' files, locked until they are finished
    QElapsedTimer sinceSync_;
    SyncWorker worker_;
};

}  // namespace fenmor
