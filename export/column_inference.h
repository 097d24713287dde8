// Where the names of a data set's columns say nothing, or two columns claim one meaning, the
// values decide: a column of telephone numbers is a telephone, a 0/1 column beside the alarm's
// minutes is the alarm's switch, a run of distinct small numbers first is the record number.
#pragma once

#include <QStringList>
#include <array>

#include "export/field_meanings.h"

namespace fenmor {

struct ColumnChoice {
    Meaning meaning = Meaning::Unknown;
    Why why = Why::None;
};
using ColumnChoices = std::array<ColumnChoice, 32>;  // by slot, 2 to 31
using ColumnSamples = std::array<QStringList, 32>;   // the first records' non-empty values

// Settles the choices by the samples: unknown columns whose values are all of one shape, and
// rival claims on the alarm. firstSlot is the first data column.
void SettleByValues(ListKind list, ColumnChoices& choices, const ColumnSamples& samples,
                    int firstSlot = 2);

}  // namespace fenmor
