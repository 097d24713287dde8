// A saved transfer (a journal file, a converter capture or a ".rcv" raw-data file) read back
// into the bytes received, and converted as one transfer the way a live one is converted.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "core/session.h"

namespace fenmor {

// Bytes per receive event when a saved transfer is fed to the buffer.
inline constexpr qsizetype kFeedBlock = 512;
// The most a transfer fed this way can hold: every entry the buffer may fill, each closed by
// the block that passed its threshold. A saved file holds at most this, and a ".rcv" file a
// line end per entry more; anything larger cannot be one transfer and is not read.
inline constexpr qint64 kLargestTransfer = qint64{kEntryLimit} * (kEntryThreshold + kFeedBlock);
inline constexpr qint64 kLargestRcvFile = kLargestTransfer + 2 * qint64{kEntryCount};

struct SavedTransfer {
    QString path;
    QByteArray bytes;
    QStringList warnings;  // places the reading could not be sure of, for the user
    QString error;         // set when the file cannot be converted at all
};

// A name ending in ".rcv" (any case) is read as a raw-data file, every other as the bytes
// received (a journal or a capture). Only regular files are read (never a FIFO or a device),
// and none larger than the limits above.
[[nodiscard]] SavedTransfer ReadSavedTransfer(const QString& path);

// One transfer through the processing run: the buffer emptied, the bytes appended in receive
// events of blockSize bytes, then the run that the end of a transfer starts. False when the
// buffer became full (its message shown, the bytes saved, s.endProgram called).
bool FeedTransfer(Session& s, const QByteArray& bytes, qsizetype blockSize = kFeedBlock);

// Shows the reading's warnings through the session's message service, then feeds it.
bool ConvertSavedTransfer(Session& s, const SavedTransfer& t, qsizetype blockSize = kFeedBlock);

}  // namespace fenmor
