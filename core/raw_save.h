// The raw received data (".rcv") and its character dump ("ascii.rcv").
#pragma once

#include <QByteArray>
#include <QString>

#include "core/session.h"

namespace fenmor {

void SaveRawData(Session& s);
void WriteRawDump(Session& s);

// When the buffer overflows: saves entries 1 to nDD as received, under the raw-data naming,
// never replacing a file. Returns the file's name, or empty when it could not be written.
QString SaveUnprocessedData(Session& s);

// The dump's lines for one entry (items 2 to 8 without the separators' own line ends).
[[nodiscard]] QByteArray DumpOfEntry(const QByteArray& entry);
void AppendDumpOfEntry(QByteArray& out, const QByteArray& entry);

}  // namespace fenmor
