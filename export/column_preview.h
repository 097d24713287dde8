// A data set's first record as a phone or a calendar shows it, for the user who checks the
// columns' meanings: written by the real writers, then read back into a few labelled lines.
#pragma once

#include <QString>
#include <vector>

#include "export/exporter.h"

namespace fenmor {

// columns: one data set's columns (one kind), with the meanings to try.
[[nodiscard]] QString PreviewOf(const std::vector<ColumnReport>& columns);

}  // namespace fenmor
