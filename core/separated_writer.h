// Writes the current record as one line of comma- or tab-separated values.
#pragma once

#include <QString>

#include "core/session.h"

namespace fenmor {

// The field mask of a data kind: character k says whether slot k is written.
[[nodiscard]] const QString& FieldMaskOf(const QString& kindCode);

void WriteSeparatedRecord(Session& s);

}  // namespace fenmor
