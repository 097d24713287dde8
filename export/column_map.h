// The user's meanings for columns, one tab-separated line per column as `fenmor-convert
// --columns` prints them: kind code, column number, type or tag, title, meaning (what follows
// is not read). Lines that are empty or begin with "#" are skipped.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "export/field_meanings.h"

namespace fenmor {

// The map the window keeps beside its settings.
inline const QString kColumnMapFileName = QStringLiteral("Fenmor-columns.tsv");

struct ColumnMapEntry {
    QString kind;  // "PA", "MS", …
    int column = 0;
    QString name;   // the column's "C" type, else its "I" tag
    QString title;  // its "T" title
    Meaning meaning = Meaning::Unknown;
    int line = 0;  // in the file, for messages
};

struct ColumnMap {
    std::vector<ColumnMapEntry> entries;
    QStringList problems;  // "FILE:LINE: what is wrong"; the defaults stand for those lines

    [[nodiscard]] const ColumnMapEntry* find(const QString& kind, int column, const QString& name,
                                             const QString& title) const;
};

// The entries that no column of the data sets seen matched, and those naming a schedule's start,
// end, text or mark (fixedLines), which a map cannot change, as "FILE:LINE: …" problems.
[[nodiscard]] QStringList UnusedEntries(const ColumnMap& map, const QString& path,
                                        const std::vector<int>& usedLines,
                                        const std::vector<int>& fixedLines = {});

// A text as it stands in one field of a map line: tabs and line breaks become spaces.
[[nodiscard]] QString MapField(const QString& text);

// Reads a map; the file is never changed.
[[nodiscard]] ColumnMap ReadColumnMap(const QString& path);

}  // namespace fenmor
