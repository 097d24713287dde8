// The non-empty fields of one record with what each means, as the exporters take them.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "export/field_meanings.h"

namespace fenmor {

struct Column {
    Meaning meaning = Meaning::Unknown;
    QString label;  // the column's title, else its tag, else "項目" and its number
    QString value;  // as received, spaces at both ends removed, a doubled quote made one
    QString shown;  // as the separated-values file shows it (dates in the user's format)
    int slot = 0;   // the field's position in the record
};

using Columns = std::vector<Column>;

// Properties of our own (name, raw value) for what a later version may still want to read.
using Extras = QList<std::pair<QString, QString>>;

// "label: shown" lines for the note or description of what no property holds.
[[nodiscard]] QString LabelledLine(const Column& c);

// The PDA's bookkeeping as an X- property, unless it is empty or zero (nothing to keep).
void KeepAside(const Column& c, Extras& extras);
[[nodiscard]] QString XNameOf(Meaning m);

// The PDA's digits yyyymmdd, yyyymmddhhnn or yyyymmddhhnnss as a date and time (in UTC, the
// clock time as written); nothing for anything else or a day that does not exist.
[[nodiscard]] std::optional<QDateTime> PdaDigits(const QString& value);

// The moment of the PDA's last change, in UTC. The MI series keeps it in slot 4 in UTC (the
// separated values show it nine hours on); elsewhere it is the PDA's local clock time.
[[nodiscard]] std::optional<QDateTime> UpdateMoment(const Column& c);

}  // namespace fenmor
