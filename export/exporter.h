// The exporter the data path feeds: it sets the character set of the transfer's output file and
// writes schedule, action-list and address-book records, as they come, into the .ics and .vcf
// files beside that file, with the same base name; the run's end completes them.
#pragma once

#include <QHash>
#include <QStringList>
#include <QUuid>
#include <array>
#include <initializer_list>
#include <memory>

#include "core/data_kind.h"
#include "core/export_sink.h"
#include "core/session.h"
#include "export/column_inference.h"
#include "export/column_map.h"
#include "export/columns.h"
#include "export/content_lines.h"
#include "export/export_settings.h"
#include "export/icalendar_writer.h"

namespace fenmor {

// One column of a data set as the export took it: what named it, its first values, its meaning.
struct ColumnReport {
    QString kind;  // the data set's kind code ("PA", "MS", …)
    int column = 0;
    QString name;  // its "C" type, else its "I" tag
    QString title;
    QStringList firstValues;  // the first few that are not empty
    QString firstRecord;      // the data set's first record's value, empty or not
    Meaning meaning = Meaning::Unknown;
    Why why = Why::None;
    bool fixed = false;  // a schedule's start, end, text or mark: its place says so, not a map
};

class Exporter final : public ExportSink {
  public:
    explicit Exporter(const ExportSettings& settings = {});
    ~Exporter() override;

    void setSettings(const ExportSettings& settings) { settings_ = settings; }
    [[nodiscard]] const ExportSettings& settings() const { return settings_; }
    // The files the last run wrote beside its output file.
    [[nodiscard]] const QStringList& written() const { return written_; }
    // The user's meanings for columns, applied from the next data set on.
    void setColumnMap(ColumnMap map) {
        map_ = std::move(map);
        mapLinesUsed_.clear();
        mapLinesFixed_.clear();
    }
    // The columns of every data set the last run exported, and the map lines it applied.
    [[nodiscard]] const std::vector<ColumnReport>& columns() const { return reports_; }
    [[nodiscard]] const std::vector<int>& mapLinesUsed() const { return mapLinesUsed_; }
    // The map lines that named a schedule's start, end, text or mark, which a map cannot change.
    [[nodiscard]] const std::vector<int>& mapLinesFixed() const { return mapLinesFixed_; }

    void outputFileOpened(OutputFile& file) override;
    void lineArrived(const QString& line) override;
    void recordDispatched(Session& s, const ParsedRecord& parsed) override;
    void runEnded(Session& s) override;

  private:
    struct Scratch;
    struct Stream;
    void startDataSet(const ParsedRecord& header, bool category);
    // The record, or the same line parsed again with its line breaks where they were.
    const ParsedRecord& withLineBreaks(const Session& s, const ParsedRecord& parsed);
    void learnMeanings(const Session& s, ListKind list);
    void take(Session& s, const DataKind& kind, const ParsedRecord& record);
    void add(Session& s, const DataKind& kind, const ParsedRecord& record);
    void flush(Session& s);
    Columns columnsOf(const Session& s, const ParsedRecord& record, ListKind list);
    void takeCategory(const ParsedRecord& record);
    QString uidOf(const Session& s, std::initializer_list<QStringView> names);
    void addEvent(Session& s, const ParsedRecord& record);
    void addTask(Session& s, const ParsedRecord& record);
    void addCard(Session& s, const ParsedRecord& record);
    void write(Session& s, Stream& stream, const QByteArray& bytes);
    void finish(Session& s, Stream& stream, const QString& what);
    void reset();
    struct Pending {
        const DataKind* kind;
        ParsedRecord record;
    };

    ExportSettings settings_;
    QString outputPath_;
    QString lastLine_;
    // The data set's column names: "C" types, "I" tags, "T" titles; and what they mean.
    std::array<QString, 32> types_, tags_, titles_, labels_;
    ColumnChoices choices_{};
    int meaningsFor_ = -1;  // the ListKind choices_ holds, -1 when it must be learnt again
    // A data set's first records wait here until their values have settled the meanings.
    std::vector<Pending> pending_;
    Session* session_ = nullptr;  // the run's, while records wait
    ColumnMap map_;
    std::vector<ColumnReport> reports_, runReports_;
    std::vector<int> mapLinesUsed_;
    std::vector<int> mapLinesFixed_;
    bool categoryTable_ = false;
    int categoryLines_ = 0;
    QHash<QString, QString> categories_;  // code -> name, from the category table
    int events_ = 0, todos_ = 0, cards_ = 0;
    QHash<QString, int> seen_;  // how often each identity came in this transfer
    QStringList written_;
    std::unique_ptr<Stream> ics_, vcf_;
    ContentLines card_;  // one buffer for every card
    std::unique_ptr<Scratch> scratch_;
};

}  // namespace fenmor
