// Reads a raw-data file (".rcv", every buffer entry followed by CR LF) back into the bytes
// that were received.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

namespace fenmor {

// A place where the reader could not be sure of what the file held.
struct RcvWarning {
    enum class Kind {
        // An entry's end was taken from the shape of the records around it and the records
        // there do not confirm it: the CR LF may have been the data's own line end instead.
        UnconfirmedEntryEnd,
        // The file does not end with CR LF: it was cut short; the last bytes are taken as data.
        NoFinalCrLf,
    };
    Kind kind;
    qsizetype offset;  // byte offset in the file
    int entry;         // the entry (from 1) it concerns
};

struct RcvReading {
    QByteArray bytes;  // what the PDA sent, as the buffer held it
    int entries = 0;
    std::vector<RcvWarning> warnings;
};

// The buffer closes an entry once it holds more than this many bytes; a split double-byte
// character may move one byte of it on, so no entry but the last is shorter.
inline constexpr qsizetype kShortestClosedEntry = 1000;

// Pure: the same file always gives the same reading; any bytes are accepted.
[[nodiscard]] RcvReading ReadRcv(QByteArrayView file);

// The warning as a line for the user.
[[nodiscard]] QString RcvWarningText(const RcvWarning& w);

// True for a name the raw-data reader reads: it ends in ".rcv", in any case.
[[nodiscard]] bool IsRcvName(const QString& fileName);

}  // namespace fenmor
