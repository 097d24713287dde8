// The start of a data set: its kind code and output style, and the output file.
#pragma once

#include <QString>

#include "core/session.h"

namespace fenmor {

// The kind code for a header whose name (slot 7) and marker (slot 5) are given: "MS", "PA",
// ...; empty when the kind is not supported.
[[nodiscard]] QString KindCodeOf(const QString& name, const QString& marker);

void BeginDataSet(Session& s);
void OpenOutputFile(Session& s);

// The output folder with its final separator, as txDF(0) is completed.
[[nodiscard]] QString WithFinalSeparator(const QString& folder);

}  // namespace fenmor
