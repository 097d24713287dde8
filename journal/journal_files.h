// The journal folder's files: one per transfer, named by its start time, with its state as
// the extension (".open" while received or never processed, ".kept" when the user chose to
// keep it unconverted, ".done" once processed).
#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

namespace fenmor {

enum class JournalState { Open, Kept, Done };

struct JournalEntry {
    QString path;
    QDateTime start;
    qint64 size = 0;
    JournalState state = JournalState::Open;
};

// The journal's transfers, oldest first. Files of other names are not the journal's.
[[nodiscard]] std::vector<JournalEntry> ListJournal(const QString& folder);

// True for the name of a journal file (without its folder).
[[nodiscard]] bool IsJournalName(const QString& fileName);

// The name of a transfer's journal file without its state: "yyyyMMdd-HHmmss", and "-n" when
// another transfer started in the same second.
[[nodiscard]] QString JournalStem(const QDateTime& start);
[[nodiscard]] QString StateSuffix(JournalState state);
[[nodiscard]] QString WithState(const QString& path, JournalState state);

// Renames the journal file into the state; returns its new path, or empty on failure.
[[nodiscard]] QString MarkJournal(const QString& path, JournalState state);

// True while a running program receives into the journal file (it holds a lock on it).
[[nodiscard]] bool JournalInUse(const QString& path);

// Removes the oldest done journals so that `keep` remain.
void RemoveOldDoneJournals(const QString& folder, int keep);

// Creates the folder (and missing parents) for the user alone and makes sure the folder
// itself is 0700. Returns an error text, or empty.
[[nodiscard]] QString MakePrivateFolder(const QString& folder);

}  // namespace fenmor
