#include "export/exporter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

#include "core/char_conversions.h"
#include "core/data_kind.h"
#include "core/date_pattern.h"
#include "core/record_parser.h"
#include "core/text_util.h"
#include "export/calendar_items.h"
#include "export/vcard_writer.h"

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

// The line format keeps a quote inside a value doubled; the exported value has one.
QString Unquoted(QString value) {
    if (value.contains(u'"')) value.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return value;
}

bool AllDigits(const QString& v) {
    if (v.isEmpty()) return false;
    for (const QChar c : v)
        if (!c.isDigit()) return false;
    return true;
}

// Category codes compare as numbers where they are numbers ("01" is "1").
QString CodeKey(const QString& code) {
    const QString v = code.trimmed();
    return AllDigits(v) ? QString::number(v.toLongLong()) : v;
}

ListKind ListOf(const DataKind& kind) {
    return kind.exportAs == KindExport::Event  ? ListKind::Schedule
           : kind.exportAs == KindExport::Task ? ListKind::ActionList
                                               : ListKind::AddressBook;
}

}  // namespace

// A parser of its own that keeps line breaks as line breaks: for separated values the
// specified parser turns them into the user's replacement text, which a card should not show.
struct Exporter::Scratch {
    OptionStore options;
    SilentServices silent;
    Session session{options, silent, silent, silent};
};

// One file beside the output file, written item by item and put in place at the run's end.
struct Exporter::Stream {
    QString extension;
    std::unique_ptr<QSaveFile> file;
    bool failed = false;
    QString error;
};

Exporter::Exporter(const ExportSettings& settings) : settings_(settings) { reset(); }
Exporter::~Exporter() = default;

void Exporter::outputFileOpened(OutputFile& file) {
    file.setCharset(settings_.charset);
    outputPath_ = file.path();
}

const ParsedRecord& Exporter::withLineBreaks(const Session& s, const ParsedRecord& parsed) {
    if (!s.fgCSV || !lastLine_.contains(kUS)) return parsed;
    if (!scratch_) scratch_ = std::make_unique<Scratch>();
    QString line = lastLine_;
    ParseLine(scratch_->session, line);
    return scratch_->session.DataRecord;
}

void Exporter::startDataSet(const ParsedRecord& header, bool category) {
    types_.fill(QString());
    titles_.fill(QString());
    for (int k = 1; k <= 31; ++k) tags_[k] = header[1] == u"M" ? QString() : TrimSpaces(header[k]);
    categoryTable_ = category;
    categoryLines_ = 0;
    meaningsFor_ = -1;
}

// Once per data set, not per record: the meaning and the label of every column, by the names,
// then by the user's map, then by the values of the records that wait.
void Exporter::learnMeanings(const Session& s, ListKind list) {
    if (meaningsFor_ == static_cast<int>(list)) return;
    const bool mi = s.zKINO.startsWith(u'M');
    ColumnSamples samples;
    for (const Pending& p : pending_)
        for (int k = 2; k <= 31; ++k)
            if (const QString v = Unquoted(p.record[k].trimmed()); !v.isEmpty()) samples[k] << v;
    // A schedule's start, end, text and mark have slots of their own, whatever names them.
    std::array<Meaning, 32> fixed{};
    if (list == ListKind::Schedule) {
        fixed[mi ? 8 : 3] = Meaning::Start;
        fixed[mi ? 9 : 4] = Meaning::End;
        fixed[mi ? 10 : 7] = Meaning::Text;
        fixed[14] = Meaning::Mark;
    }
    for (int k = 2; k <= 31; ++k) {
        ColumnChoice& c = choices_[k];
        c.meaning = MeaningOf(list, types_[k], tags_[k], titles_[k], &c.why);
        if (mi && c.meaning == Meaning::Unknown) {
            c.meaning = MiSlotMeaning(k, s.FieldTypes[k] == u"TIME");
            if (c.meaning != Meaning::Unknown) c.why = Why::Slot;
        }
        const QString name = !types_[k].isEmpty() ? types_[k] : tags_[k];
        if (const ColumnMapEntry* e = map_.find(s.zKINO, k, name, titles_[k])) {
            if (fixed[k] != Meaning::Unknown) {
                mapLinesFixed_.push_back(e->line);
            } else {
                c = {e->meaning, Why::User};
                mapLinesUsed_.push_back(e->line);
            }
        }
        if (fixed[k] != Meaning::Unknown) c = {fixed[k], Why::Slot};
        labels_[k] = !titles_[k].isEmpty() ? Unquoted(titles_[k])
                     : !tags_[k].isEmpty() ? tags_[k]
                                           : QStringLiteral("項目") + QString::number(k);
    }
    SettleByValues(list, choices_, samples);
    for (int k = 2; k <= 31; ++k) {
        const QString name = !types_[k].isEmpty() ? types_[k] : tags_[k];
        if (name.isEmpty() && titles_[k].isEmpty() && samples[k].isEmpty()) continue;
        const QString first = pending_.empty() ? QString() : pending_.front().record[k];
        runReports_.push_back({s.zKINO, k, name, Unquoted(titles_[k]), samples[k].mid(0, 3),
                               Unquoted(first.trimmed()), choices_[k].meaning, choices_[k].why,
                               fixed[k] != Meaning::Unknown});
    }
    meaningsFor_ = static_cast<int>(list);
}

Columns Exporter::columnsOf(const Session& s, const ParsedRecord& record, ListKind list) {
    learnMeanings(s, list);
    Columns columns;
    columns.reserve(32);
    for (int k = 2; k <= 31; ++k) {
        if (record[k].isEmpty()) continue;  // most columns of most records
        QString value = Unquoted(record[k].trimmed());
        if (value.isEmpty()) continue;
        // Only a column that ends up labelled in a note is shown as the separated values show it.
        const Meaning m = choices_[k].meaning;
        QString shown = m == Meaning::Unknown ? AsShown(s, k, value) : value;
        Column c{m, labels_[k], std::move(value), std::move(shown), k};
        if (c.meaning == Meaning::CategoryCode && !AllDigits(c.value)) {
            c.meaning = Meaning::Category;  // a name, not a code: nothing to look up
        } else if (c.meaning == Meaning::CategoryCode) {
            const auto name = categories_.constFind(CodeKey(c.value));
            if (name != categories_.cend())
                columns.push_back({Meaning::Category, c.label, *name, *name, k});
        }
        columns.push_back(std::move(c));
    }
    return columns;
}

// A line of the category table: its code (the column tagged "CTGR", else the first number,
// else its place in the table) and its name (the first other text).
void Exporter::takeCategory(const ParsedRecord& r) {
    ++categoryLines_;
    QString code, name;
    for (int k = 2; k <= 31; ++k)
        if (tags_[k] == u"CTGR") code = r[k].trimmed();
    for (int k = 2; k <= 31; ++k) {
        const QString v = Unquoted(r[k].trimmed());
        if (v.isEmpty() || tags_[k] == u"CTGR") continue;
        if (AllDigits(v)) {
            if (code.isEmpty()) code = v;
        } else if (name.isEmpty()) {
            name = v;
        }
    }
    if (code.isEmpty()) code = QString::number(categoryLines_);
    if (!name.isEmpty()) categories_.insert(CodeKey(code), name);
}

// What names a record gives its identifier, so that an edit of anything else updates the item.
// Records of a transfer that share all of it are told apart by their order.
QString Exporter::uidOf(const Session& s, std::initializer_list<QStringView> names) {
    qsizetype size = s.zKINO.size() + 8;
    for (const QStringView n : names) size += n.size() + 1;
    QString key;
    key.reserve(size);
    key += s.zKINO;
    for (const QStringView n : names) {
        key += kUS;
        key += n;
    }
    const int repeat = seen_[key]++;
    if (repeat > 0) {
        key += u'#';
        key += QString::number(repeat);
    }
    return QUuid::createUuidV5(kUidSpace, key.toUtf8()).toString(QUuid::WithoutBraces);
}

void Exporter::addEvent(Session& s, const ParsedRecord& r) {
    const bool pi = s.zKINO[0] == u'P';
    const int start = pi ? 3 : 8, end = pi ? 4 : 9, textSlot = pi ? 7 : 10;
    QString text = Unquoted(r[textSlot]);
    if (s.opt.ticked(Option::ckHkana)) text = WidenHalfWidthKana(text);
    Columns others;
    for (Column& c : columnsOf(s, r, ListKind::Schedule))
        if (c.slot != start && c.slot != end && c.slot != textSlot && c.slot != 14)
            others.push_back(std::move(c));
    CalendarItem item =
        ScheduleEntry(r[start], r[end], text, Unquoted(r[14]), s.tNOW.date(), others);
    item.uid = uidOf(s, {r[start].trimmed(), item.summary}) + QStringLiteral("@fenmor");
    write(s, *ics_, CalendarItemBytes(item, settings_.timeMode, s.tNOW));
    ++events_;
}

void Exporter::addTask(Session& s, const ParsedRecord& r) {
    CalendarItem item = ActionEntry(columnsOf(s, r, ListKind::ActionList));
    item.uid = uidOf(s, {item.summary}) + QStringLiteral("@fenmor");
    write(s, *ics_, CalendarItemBytes(item, settings_.timeMode, s.tNOW));
    ++todos_;
}

void Exporter::addCard(Session& s, const ParsedRecord& r) {
    const Columns columns = columnsOf(s, r, ListKind::AddressBook);
    QString name, reading, company, first;
    for (const Column& c : columns) {
        if (c.meaning == Meaning::Name && name.isEmpty()) name = c.value;
        if (c.meaning == Meaning::Reading && reading.isEmpty()) reading = c.value;
        if (c.meaning == Meaning::Company && company.isEmpty()) company = c.value;
        if (!IsBookkeeping(c.meaning) && c.meaning != Meaning::Category && first.isEmpty())
            first = c.value;
    }
    const QString uid = !name.isEmpty() || !reading.isEmpty() ? uidOf(s, {name, reading})
                        : !company.isEmpty()                  ? uidOf(s, {{}, {}, company})
                                                              : uidOf(s, {{}, {}, {}, first});
    card_.clear();
    AppendVCard(card_, columns, uid, settings_.vcardVersion);
    write(s, *vcf_, card_.bytes());
    ++cards_;
}

void Exporter::recordDispatched(Session& s, const ParsedRecord& parsed) {
    const QString& kind = parsed[1];
    if (kind == u"I" || kind == u"i" || kind == u"M") {
        startDataSet(parsed, kind != u"M" && parsed[6] == u"CTGR");
        return;
    }
    if (categoryTable_) {  // the PDA's category names, never records of their own
        if (kind == u"D") takeCategory(parsed);
        return;
    }
    if (kind == u"T" || kind == u"C") {
        auto& names = kind == u"T" ? titles_ : types_;
        for (int k = 1; k <= 31; ++k) names[k] = TrimSpaces(parsed[k]);
        meaningsFor_ = -1;
        return;
    }
    const DataKind* dataKind = DataKindOf(s.zKINO);
    if (kind != u"D" || outputPath_.isEmpty() || !dataKind) return;
    const bool wanted =
        dataKind->exportAs == KindExport::Card
            ? settings_.vcf
            : (dataKind->exportAs == KindExport::Event || dataKind->exportAs == KindExport::Task) &&
                  settings_.ics;
    if (wanted) take(s, *dataKind, withLineBreaks(s, parsed));
}

// A data set's first records wait until enough values have come to settle the meanings; the
// rest go straight through, without a copy.
void Exporter::take(Session& s, const DataKind& kind, const ParsedRecord& record) {
    constexpr size_t kSample = 64;
    session_ = &s;
    if (pending_.empty() && meaningsFor_ == static_cast<int>(ListOf(kind)))
        return add(s, kind, record);
    pending_.push_back({&kind, record});
    if (meaningsFor_ < 0 && pending_.size() < kSample) return;
    flush(s);
}

void Exporter::add(Session& s, const DataKind& kind, const ParsedRecord& record) {
    if (kind.exportAs == KindExport::Event)
        addEvent(s, record);
    else if (kind.exportAs == KindExport::Task)
        addTask(s, record);
    else
        addCard(s, record);
}

void Exporter::flush(Session& s) {
    if (pending_.empty()) return;
    learnMeanings(s, ListOf(*pending_.front().kind));
    std::vector<Pending> waiting;
    waiting.swap(pending_);
    for (const Pending& p : waiting) add(s, *p.kind, p.record);
}

void Exporter::lineArrived(const QString& line) {
    lastLine_ = line;
    // Any line but a data line may end the data set: what waits is written with its meanings.
    if (!pending_.empty() && session_ && !line.startsWith(QStringLiteral("\"D\"")))
        flush(*session_);
}

void Exporter::write(Session& s, Stream& stream, const QByteArray& bytes) {
    if (stream.failed) return;
    if (!stream.file) {
        const QFileInfo output(outputPath_);
        QString path = output.dir().filePath(output.completeBaseName() + stream.extension);
        if (path.compare(outputPath_, Qt::CaseInsensitive) == 0)  // the output file is itself .ics
            path = output.dir().filePath(output.completeBaseName() + QStringLiteral("-fenmor") +
                                         stream.extension);
        stream.file = std::make_unique<QSaveFile>(path);
        if (!stream.file->open(QIODevice::WriteOnly)) {
            stream.failed = true;
            stream.error = stream.file->errorString();
            return;
        }
        if (stream.extension == u".ics") write(s, stream, CalendarHeader());
    }
    if (stream.file->write(bytes) != bytes.size()) {
        stream.failed = true;
        stream.error = stream.file->errorString();
    }
}

void Exporter::finish(Session& s, Stream& stream, const QString& what) {
    if (!stream.file) return;
    const QString path = stream.file->fileName();
    if (!stream.failed && stream.extension == u".ics") write(s, stream, CalendarFooter());
    if (stream.failed || !stream.file->commit()) {
        if (!stream.failed) stream.error = stream.file->errorString();
        stream.file->cancelWriting();
        s.failures.somethingNotWritten();  // the journal keeps the transfer unconverted
        s.message(QStringLiteral("書き出しファイルを保存できません：") +
                      QDir::toNativeSeparators(path) + kCrLf + stream.error,
                  Buttons::Ok, Icon::Exclamation);
        return;
    }
    written_ << path;
    s.failures.written(path);
    s.liD.append(QStringLiteral("書き出し：") + QDir::toNativeSeparators(path) +
                 QStringLiteral("（") + what + QStringLiteral("）"));
}

void Exporter::runEnded(Session& s) {
    flush(s);
    written_.clear();
    reports_ = std::move(runReports_);
    if (ics_ && vcf_) {
        QStringList what;
        if (events_ > 0) what << QStringLiteral("予定 %1 件").arg(events_);
        if (todos_ > 0) what << QStringLiteral("ToDo %1 件").arg(todos_);
        finish(s, *ics_, QStringLiteral("iCalendar、") + what.join(QStringLiteral("、")));
        finish(s, *vcf_,
               QStringLiteral("vCard %1.0、%2 件").arg(settings_.vcardVersion).arg(cards_));
    }
    reset();
}

void Exporter::reset() {
    outputPath_.clear();
    lastLine_.clear();
    startDataSet({}, false);
    categories_.clear();
    events_ = todos_ = cards_ = 0;
    seen_.clear();
    pending_.clear();
    session_ = nullptr;
    runReports_.clear();
    ics_ = std::make_unique<Stream>(Stream{QStringLiteral(".ics"), nullptr, false, {}});
    vcf_ = std::make_unique<Stream>(Stream{QStringLiteral(".vcf"), nullptr, false, {}});
}

}  // namespace fenmor
