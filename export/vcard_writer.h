// One vCard (RFC 6350 version 4.0, or 3.0 for importers that need it) from an address record.
#pragma once

#include <QByteArray>
#include <QString>

#include "export/columns.h"
#include "export/content_lines.h"

namespace fenmor {

// uid: stable for the record, a UUID without braces. Every column ends up in a property or,
// when no property takes it, in NOTE as "label: value".
[[nodiscard]] QByteArray VCardOf(const Columns& columns, const QString& uid, int version);
// The same card appended to out: a writer of many cards keeps one buffer for all of them.
void AppendVCard(ContentLines& out, const Columns& columns, const QString& uid, int version);

}  // namespace fenmor
