// What happened in the current processing run, in one place: the writers record failures and
// the files they finished, the data-set start asks before it opens a file and counts the data
// sets, and the run clears it when it starts.
#pragma once

#include <QString>
#include <QStringList>

namespace fenmor {

struct Session;

class RunFailures {
  public:
    void clear() { *this = RunFailures(); }

    // Writing to this file failed. A later data set of the run does not open it again: a new
    // file of that name would empty what the failed one holds.
    void writeFailed(const QString& path);
    [[nodiscard]] bool mayOpen(const QString& path) const;
    // Something the run should have written was not written (a file that did not open).
    void somethingNotWritten() { notWritten_ = true; }
    // A file of the run was written and closed without error.
    void written(const QString& path) { written_ << path; }
    [[nodiscard]] bool allWritten() const { return !notWritten_; }
    [[nodiscard]] const QStringList& writtenFiles() const { return written_; }

    // The run's size and what it found in it.
    void runStarted(qint64 bytes) { bytes_ = bytes; }
    void dataSetBegun() { ++dataSets_; }
    [[nodiscard]] qint64 bytes() const { return bytes_; }
    // Bytes arrived and not one of them formed a data set (a wrong speed gives that).
    [[nodiscard]] bool nothingReadable() const { return bytes_ > 0 && dataSets_ == 0; }

    // Unusable separator options are reported once per run: true the first time.
    bool firstSeparatorError();

  private:
    QStringList failedFiles_;
    QStringList written_;
    bool notWritten_ = false;
    qint64 bytes_ = 0;
    int dataSets_ = 0;
    bool separatorErrorShown_ = false;
};

// What the writers do when their output file fails: report it, close the file and remember
// it as failed. The received data stays for the raw-data save.
void AbandonOutputFile(Session& s, const QString& errorText);

// Says that a transfer gave no data set: how much arrived, the likely cause with the speed in
// use, and where the bytes are kept (empty: nowhere but in what was shown).
[[nodiscard]] QString NothingReadableText(qint64 bytes, const QString& speed,
                                          const QString& keptIn);

}  // namespace fenmor
