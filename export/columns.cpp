// What every exporter does alike with a record's columns.
#include "export/columns.h"

#include "files/date_pattern.h"

namespace fenmor {

QString LabelledLine(const Column& c) { return c.label + QStringLiteral(": ") + c.shown; }

QString XNameOf(Meaning m) {
    const char* name = "VALUE";
    switch (m) {
        case Meaning::RecordNumber:
            name = "RECORD-NUMBER";
            break;
        case Meaning::Attribute:
            name = "ATTRIBUTE";
            break;
        case Meaning::Secret:
            name = "SECRET";
            break;
        case Meaning::UpdateTime:
            name = "UPDATED";
            break;
        case Meaning::Reserved:
            name = "RESERVED";
            break;
        case Meaning::CategoryCode:
            name = "CATEGORY-CODE";
            break;
        case Meaning::DoneMark:
            name = "DONE";
            break;
        case Meaning::Mark:
            name = "MARK";
            break;
        case Meaning::Repeat:
            name = "REPEAT";
            break;
        case Meaning::RepeatEnd:
            name = "REPEAT-END";
            break;
        case Meaning::Priority:
            name = "PRIORITY";
            break;
        case Meaning::Completed:
            name = "COMPLETED";
            break;
        case Meaning::AlarmMinutes:
            name = "ALARM";
            break;
        case Meaning::AlarmOn:
            name = "ALARM-ON";
            break;
        default:
            break;
    }
    return QStringLiteral("X-FENMOR-") + QLatin1String(name);
}

void KeepAside(const Column& c, Extras& extras) {
    bool zero = true;
    for (const QChar ch : c.value) zero = zero && ch == u'0';
    if (!zero) extras.append({XNameOf(c.meaning), c.value});
}

std::optional<QDateTime> UpdateMoment(const Column& c) {
    if (c.value.size() < 12) return std::nullopt;
    std::optional<QDateTime> t = ReadDigitDateTime(c.value);
    if (!t) return std::nullopt;
    if (c.slot == 4) return QDateTime(t->date(), t->time(), Qt::UTC);
    return t->toUTC();
}

}  // namespace fenmor
