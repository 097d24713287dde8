// The non-empty fields of one record with what each means, as the exporters take them.
#pragma once

#include <QString>
#include <vector>

#include "export/field_meanings.h"

namespace fenmor {

struct Column {
    Meaning meaning = Meaning::Unknown;
    QString label;  // the column's title, else its tag, else "項目" and its number
    QString value;  // as received, spaces at both ends removed
    QString shown;  // as the separated-values file shows it (dates in the user's format)
};

using Columns = std::vector<Column>;

// "label: shown" lines for the note or description of what no property holds.
[[nodiscard]] QString LabelledLine(const Column& c);

}  // namespace fenmor
