#include "export/exporter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

#include "core/char_conversions.h"
#include "core/record_parser.h"
#include "core/text_util.h"
#include "export/calendar_items.h"
#include "export/vcard_writer.h"
#include "files/date_pattern.h"

namespace fenmor {
namespace {

constexpr QChar kUS(0x1F);
const QUuid kUidSpace(QStringLiteral("{6f1c2a54-3b7e-5d7a-9a51-0c3c2f1e8d41}"));

// A date field as the separated-values file shows it: the user's format, slot 4 nine hours on.
QString AsShown(const Session& s, int k, const QString& value) {
    if (s.FieldTypes[k] != u"TIME" || !IsNumericText(value)) return value;
    std::optional<QDateTime> t = ReadDigitDateTime(TrimRightSpaces(value));
    if (!t) return value;
    if (k == 4) *t = t->addSecs(9 * 3600);
    return FormatDatePattern(t->date(), t->time(), s.opt.text(Option::txYMD2));
}

}  // namespace

// A parser of its own that keeps line breaks as line breaks: for separated values the
// specified parser turns them into the user's replacement text, which a card should not show.
struct Exporter::Scratch {
    OptionStore options;
    SilentServices silent;
    Session session{options, silent, silent, silent};
};

Exporter::Exporter(const ExportSettings& settings) : settings_(settings) {}
Exporter::~Exporter() = default;

void Exporter::outputFileOpened(OutputFile& file) {
    file.setCharset(settings_.charset);
    outputPath_ = file.path();
}

ParsedRecord Exporter::withLineBreaks(const Session& s, const ParsedRecord& parsed) {
    if (!s.fgCSV || !lastLine_.contains(kUS)) return parsed;
    if (!scratch_) scratch_ = std::make_unique<Scratch>();
    QString line = lastLine_;
    ParseLine(scratch_->session, line);
    return scratch_->session.DataRecord;
}

Columns Exporter::columnsOf(const Session& s, const ParsedRecord& record, ListKind list) const {
    Columns columns;
    for (int k = 2; k <= 31; ++k) {
        const QString value = record[k].trimmed();
        if (value.isEmpty()) continue;
        Column c;
        c.meaning = MeaningOf(list, tags_[k], titles_[k]);
        c.label = !titles_[k].isEmpty() ? titles_[k]
                  : !tags_[k].isEmpty() ? tags_[k]
                                        : QStringLiteral("項目") + QString::number(k);
        c.value = value;
        c.shown = AsShown(s, k, value);
        columns.push_back(std::move(c));
    }
    return columns;
}

// The same record gives the same identifier in every transfer, so that a calendar or an
// address book that imports a transfer twice updates its entries instead of doubling them.
QString Exporter::uidOf(const Session& s, const ParsedRecord& record) {
    QString key = s.zKINO;
    for (int k = 2; k <= 31; ++k) key += kUS + record[k];
    const int repeat = seen_[key]++;
    if (repeat > 0) key += QStringLiteral("#") + QString::number(repeat);
    return QUuid::createUuidV5(kUidSpace, key.toUtf8()).toString(QUuid::WithoutBraces);
}

void Exporter::addScheduleEntry(Session& s, const ParsedRecord& r) {
    const bool pi = s.zKINO == u"PS";
    QString text = r[pi ? 7 : 10];
    if (s.opt.ticked(Option::ckHkana)) text = WidenHalfWidthKana(text);
    CalendarItem item = ScheduleEntry(r[pi ? 3 : 8], r[pi ? 4 : 9], text, r[14], s.tNOW.date());
    item.uid = uidOf(s, r) + QStringLiteral("@fenmor");
    items_.push_back(std::move(item));
    ++events_;
}

void Exporter::recordDispatched(Session& s, const ParsedRecord& parsed) {
    const QString& kind = parsed[1];
    if ((kind == u"I" || kind == u"i") && parsed[6] != u"CTGR") {
        for (int k = 1; k <= 31; ++k) tags_[k] = TrimSpaces(parsed[k]);
        titles_.fill(QString());
        return;
    }
    if (kind == u"M") {
        tags_.fill(QString());
        titles_.fill(QString());
        return;
    }
    if (kind == u"T") {
        for (int k = 1; k <= 31; ++k) titles_[k] = TrimSpaces(parsed[k]);
        return;
    }
    if (kind != u"D" || outputPath_.isEmpty() || s.zKINO.size() != 2) return;
    const QChar letter = s.zKINO[1];
    if (letter == u'S' && settings_.ics) {
        addScheduleEntry(s, withLineBreaks(s, parsed));
    } else if (letter == u'T' && settings_.ics) {
        const ParsedRecord r = withLineBreaks(s, parsed);
        CalendarItem item = ActionEntry(columnsOf(s, r, ListKind::ActionList));
        item.uid = uidOf(s, r) + QStringLiteral("@fenmor");
        items_.push_back(std::move(item));
        ++todos_;
    } else if (letter == u'A' && settings_.vcf) {
        const ParsedRecord r = withLineBreaks(s, parsed);
        cards_ +=
            VCardOf(columnsOf(s, r, ListKind::AddressBook), uidOf(s, r), settings_.vcardVersion);
        ++cardCount_;
    }
}

void Exporter::writeFile(Session& s, const QString& extension, const QByteArray& bytes,
                         const QString& what) {
    const QFileInfo output(outputPath_);
    QString path = output.dir().filePath(output.completeBaseName() + extension);
    if (path.compare(outputPath_, Qt::CaseInsensitive) == 0)  // the output file is itself .ics
        path = output.dir().filePath(output.completeBaseName() + QStringLiteral("-fenmor") +
                                     extension);
    QSaveFile f(path);
    const bool ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
    if (!ok) {
        s.message(QStringLiteral("書き出しファイルを保存できません：") +
                      QDir::toNativeSeparators(path) + kCrLf + f.errorString(),
                  Buttons::Ok, Icon::Exclamation);
        return;
    }
    written_ << path;
    s.liD.append(QStringLiteral("書き出し：") + QDir::toNativeSeparators(path) +
                 QStringLiteral("（") + what + QStringLiteral("）"));
}

void Exporter::runEnded(Session& s) {
    written_.clear();
    if (!outputPath_.isEmpty()) {
        if (!items_.empty()) {
            QStringList what;
            if (events_ > 0) what << QStringLiteral("予定 %1 件").arg(events_);
            if (todos_ > 0) what << QStringLiteral("ToDo %1 件").arg(todos_);
            writeFile(s, QStringLiteral(".ics"), CalendarOf(items_, settings_.timeMode, s.tNOW),
                      QStringLiteral("iCalendar、") + what.join(QStringLiteral("、")));
        }
        if (cardCount_ > 0)
            writeFile(
                s, QStringLiteral(".vcf"), cards_,
                QStringLiteral("vCard %1.0、%2 件").arg(settings_.vcardVersion).arg(cardCount_));
    }
    reset();
}

void Exporter::reset() {
    outputPath_.clear();
    lastLine_.clear();
    tags_.fill(QString());
    titles_.fill(QString());
    items_.clear();
    events_ = todos_ = 0;
    cards_.clear();
    cardCount_ = 0;
    seen_.clear();
}

}  // namespace fenmor
