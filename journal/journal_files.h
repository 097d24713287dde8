// The journal folder's files: one per transfer, named by its start time and its number in the
// order written, with its state as the extension (".open" while received or never processed,
// ".kept" when the user chose to keep it unconverted, ".done" once processed).
#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

namespace fenmor {

enum class JournalState { Open, Kept, Done };

struct JournalEntry {
    QString path;
    QDateTime start;
    qint64 sequence = 0;  // the order written; 0 for files named before it was kept
    qint64 size = 0;
    JournalState state = JournalState::Open;
};

// The journal's transfers in the order they were written, whatever the clock said. Files of
// other names, or of a date that does not exist, are not the journal's; nor is a folder that
// is a symbolic link.
[[nodiscard]] std::vector<JournalEntry> ListJournal(const QString& folder);

// True for the name of a journal file (without its folder).
[[nodiscard]] bool IsJournalName(const QString& fileName);

// The name of a transfer's journal file without its state: "yyyyMMdd-HHmmss_NNNNNN", the
// start and the number in the order written. (Older copies wrote "yyyyMMdd-HHmmss" and "-n"
// for another transfer in the same second; those are still read.)
[[nodiscard]] QString JournalStem(const QDateTime& start, qint64 sequence);
// The number the next journal file of the folder gets.
[[nodiscard]] qint64 NextJournalSequence(const QString& folder);
[[nodiscard]] QString StateSuffix(JournalState state);
[[nodiscard]] QString WithState(const QString& path, JournalState state);

// Renames the journal file into the state; returns its new path, or empty on failure.
[[nodiscard]] QString MarkJournal(const QString& path, JournalState state);

// True while a running program receives into the journal file (it holds a lock on it).
[[nodiscard]] bool JournalInUse(const QString& path);

// An exclusive lock on a journal file, as the receiving program holds one: while it is held, no
// other copy offers or converts the file. Not held when another has it or the file is gone.
class JournalLock {
  public:
    explicit JournalLock(const QString& path);
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;
    [[nodiscard]] bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// Removes the oldest done journals so that `keep` remain; an empty one (its disk was full)
// holds nothing and is removed without counting.
void RemoveOldDoneJournals(const QString& folder, int keep);

// Creates the folder (and missing parents) for the user alone and makes sure the folder
// itself is 0700. An empty or relative path, or a folder that is a symbolic link, is refused.
// Returns an error text, or empty.
[[nodiscard]] QString MakePrivateFolder(const QString& folder);

}  // namespace fenmor
