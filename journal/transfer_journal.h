// What the receive port tells the journal: every received block, the end of its transfer,
// and what became of it once it was processed.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace fenmor {

class TransferJournal {
  public:
    virtual ~TransferJournal() = default;
    // The bytes of one receive event, in the order they arrived.
    virtual void received(const QByteArray& block) = 0;
    // The transfer's last block has arrived: the next block starts a new file. This one stays
    // locked (no other copy offers it) until one of the three calls below says what became of
    // it. Returns the file, or empty when it has none.
    virtual QString transferEnded() = 0;
    // The transfer in the file was processed and every one of its files written: those are
    // made durable first, then the journal is marked done (and may be rotated away).
    virtual void converted(const QString& path, const QStringList& writtenFiles) = 0;
    // The transfer could not be converted as it should: its journal is kept unconverted.
    virtual void keepUnconverted(const QString& path) = 0;
    // A file of the transfer was not written: its journal stays as received, to be offered again.
    virtual void leaveUnconverted(const QString& path) = 0;
};

}  // namespace fenmor
