#include "export/column_preview.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>

#include "export/calendar_items.h"
#include "export/vcard_writer.h"

namespace fenmor {
namespace {

QString Unescaped(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            ++i;
            out += value[i] == u'n' || value[i] == u'N' ? QChar(u'\n') : value[i];
        } else {
            out += value[i] == u';' ? QChar(u' ') : value[i];
        }
    }
    return out.simplified();
}

QString LabelOf(const QString& name, const QString& params) {
    static const QHash<QString, QString> labels = {
        {"FN", "名前"},
        {"X-PHONETIC-LAST-NAME", "よみ"},
        {"X-PHONETIC-FIRST-NAME", "よみ"},
        {"NICKNAME", "ニックネーム"},
        {"ORG", "会社"},
        {"TITLE", "役職"},
        {"ADR", "住所"},
        {"TEL", "電話"},
        {"EMAIL", "メール"},
        {"URL", "URL"},
        {"BDAY", "誕生日"},
        {"NOTE", "メモ"},
        {"CATEGORIES", "分類"},
        {"SUMMARY", "件名"},
        {"DTSTART", "開始"},
        {"DTEND", "終了"},
        {"DUE", "期限"},
        {"TRIGGER", "予告"},
        {"STATUS", "状態"},
        {"PRIORITY", "優先度"},
        {"DESCRIPTION", "説明"},
    };
    const auto label = labels.constFind(name);
    if (label == labels.cend()) return {};
    const qsizetype type = params.indexOf(QStringLiteral("TYPE="));
    return type < 0 ? *label : *label + u'（' + params.mid(type + 5) + u'）';
}

// Content lines unfolded, the properties a person reads, one "label: value" line each.
QString Readable(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    text.replace(QStringLiteral("\r\n "), QString());
    QStringList out;
    bool inAlarm = false;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        inAlarm = line == u"BEGIN:VALARM" || (inAlarm && line != u"END:VALARM");
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0) continue;
        const QString head = line.left(colon);
        const qsizetype semi = head.indexOf(u';');
        const QString name = head.left(semi);
        if (inAlarm && name != u"TRIGGER") continue;
        QString value = Unescaped(line.mid(colon + 1));
        if (name == u"TRIGGER") {
            static const QRegularExpression minutes(QStringLiteral("^-PT(\\d+)M$"));
            const auto m = minutes.match(value);
            value = m.hasMatch() ? m.captured(1) + QStringLiteral(" 分前") : value;
        }
        const QString label = LabelOf(name, semi < 0 ? QString() : head.mid(semi + 1));
        if (!label.isEmpty() && !value.isEmpty()) out << label + QStringLiteral(": ") + value;
    }
    return out.join(u'\n');
}

}  // namespace

QString PreviewOf(const std::vector<ColumnReport>& reports) {
    if (reports.empty()) return {};
    const QString& code = reports.front().kind;
    const QChar kind = code.size() > 1 ? code[1] : QChar();
    Columns columns;
    QString start, end, text, mark;
    for (const ColumnReport& r : reports) {
        if (r.firstRecord.isEmpty()) continue;
        switch (r.meaning) {
            case Meaning::Start:
                start = r.firstRecord;
                break;
            case Meaning::End:
                end = r.firstRecord;
                break;
            case Meaning::Text:
                text = r.firstRecord;
                break;
            case Meaning::Mark:
                mark = r.firstRecord;
                break;
            default: {
                const QString label = !r.title.isEmpty() ? r.title : r.name;
                columns.push_back({r.meaning, label, r.firstRecord, r.firstRecord, r.column});
            }
        }
    }
    const QDateTime now(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    if (kind == u'A') return Readable(VCardOf(columns, QStringLiteral("preview"), 4));
    if (kind == u'T')
        return Readable(CalendarItemBytes(ActionEntry(columns), TimeMode::Floating, now));
    return Readable(CalendarItemBytes(ScheduleEntry(start, end, text, mark, now.date(), columns),
                                      TimeMode::Floating, now));
}

}  // namespace fenmor
