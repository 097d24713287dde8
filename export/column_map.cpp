#include "export/column_map.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

namespace fenmor {

QString MapField(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("[\\t\\r\\n]"));
    QString t = text;
    return t.replace(breaks, QStringLiteral(" ")).trimmed();
}

const ColumnMapEntry* ColumnMap::find(const QString& kind, int column, const QString& name,
                                      const QString& title) const {
    for (const ColumnMapEntry& e : entries)
        if (e.column == column && e.kind == kind && e.name == MapField(name) &&
            e.title == MapField(title))
            return &e;
    return nullptr;
}

QStringList UnusedEntries(const ColumnMap& map, const QString& path,
                          const std::vector<int>& usedLines, const std::vector<int>& fixedLines) {
    const auto has = [](const std::vector<int>& lines, int line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    QStringList out;
    for (const ColumnMapEntry& e : map.entries) {
        const QString at = path + u':' + QString::number(e.line) + QStringLiteral(": ");
        if (has(fixedLines, e.line))
            out << at + QStringLiteral(
                            "column %1 of a schedule of kind %2 is its start, end, "
                            "text or mark by its place; a map does not change it")
                            .arg(e.column)
                            .arg(e.kind);
        else if (!has(usedLines, e.line))
            out << at + QStringLiteral("no column %1 \"%2\" \"%3\" in a data set of kind %4")
                            .arg(e.column)
                            .arg(e.name, e.title, e.kind);
    }
    return out;
}

ColumnMap ReadColumnMap(const QString& path) {
    ColumnMap map;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        map.problems << path + QStringLiteral(": cannot be read: ") + file.errorString();
        return map;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) continue;
        const QString where = path + u':' + QString::number(i + 1) + QStringLiteral(": ");
        const QStringList f = line.split(u'\t');
        if (f.size() < 5) {
            map.problems << where + QStringLiteral(
                                        "needs five tab-separated fields (kind, "
                                        "column, type or tag, title, meaning)");
            continue;
        }
        bool number = false;
        const int column = f[1].trimmed().toInt(&number);
        if (!number || column < 2 || column > 31) {
            map.problems << where + QStringLiteral("no such column: ") + f[1].trimmed() +
                                QStringLiteral(" (columns are 2 to 31)");
            continue;
        }
        ColumnMapEntry e{f[0].trimmed(), column, f[2].trimmed(), f[3].trimmed()};
        e.line = static_cast<int>(i + 1);
        if (!MeaningByName(f[4], &e.meaning)) {
            map.problems << where + QStringLiteral("unknown meaning: ") + f[4].trimmed();
            continue;
        }
        map.entries.push_back(std::move(e));
    }
    return map;
}

}  // namespace fenmor
