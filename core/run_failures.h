// What went wrong in the current processing run, in one place: the writers record failures,
// the data-set start asks before it opens a file, and the run clears it when it starts.
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

    // Unusable separator options are reported once per run: true the first time.
    bool firstSeparatorError();

private:
    QStringList failedFiles_;
    bool separatorErrorShown_ = false;
};

// What the writers do when their output file fails: report it, close the file and remember
// it as failed. The received data stays for the raw-data save.
void AbandonOutputFile(Session& s, const QString& errorText);

}  // namespace fenmor
