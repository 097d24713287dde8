// Writes the current record as one line of comma- or tab-separated values.
#pragma once

#include <QString>

#include "core/session.h"

namespace fenmor {

// The field mask of a data kind: character k says whether slot k is written.
[[nodiscard]] const QString& FieldMaskOf(const QString& kindCode);

void WriteSeparatedRecord(Session& s);

// What the writers do when their output file fails: report it, close the file and write
// nothing more in this transfer. The received data stays for the raw-data save.
void AbandonOutputFile(Session& s, const QString& errorText);

}  // namespace fenmor
