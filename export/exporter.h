// The exporter the data path feeds: it sets the character set of the transfer's output file and
// writes schedule, action-list and address-book records, as they come, into the .ics and .vcf
// files beside that file, with the same base name; the run's end completes them.
#pragma once

#include <QHash>
#include <QStringList>
#include <QUuid>
#include <array>
#include <memory>

#include "core/export_sink.h"
#include "core/session.h"
#include "export/columns.h"
#include "export/export_settings.h"
#include "export/icalendar_writer.h"

namespace fenmor {

class Exporter final : public ExportSink {
  public:
    explicit Exporter(const ExportSettings& settings = {});
    ~Exporter() override;

    void setSettings(const ExportSettings& settings) { settings_ = settings; }
    [[nodiscard]] const ExportSettings& settings() const { return settings_; }
    // The files the last run wrote beside its output file.
    [[nodiscard]] const QStringList& written() const { return written_; }

    void outputFileOpened(OutputFile& file) override;
    void lineArrived(const QString& line) override { lastLine_ = line; }
    void recordDispatched(Session& s, const ParsedRecord& parsed) override;
    void runEnded(Session& s) override;

  private:
    struct Scratch;
    struct Stream;
    void startDataSet(const ParsedRecord& header, bool category);
    ParsedRecord withLineBreaks(const Session& s, const ParsedRecord& parsed);
    void learnMeanings(const Session& s, ListKind list);
    Columns columnsOf(const Session& s, const ParsedRecord& record, ListKind list);
    void takeCategory(const ParsedRecord& record);
    QString uidOf(const Session& s, const QStringList& names);
    void addEvent(Session& s, const ParsedRecord& record);
    void addTask(Session& s, const ParsedRecord& record);
    void addCard(Session& s, const ParsedRecord& record);
    void write(Session& s, Stream& stream, const QByteArray& bytes);
    void finish(Session& s, Stream& stream, const QString& what);
    void reset();

    ExportSettings settings_;
    QString outputPath_;
    QString lastLine_;
    // The data set's column names: "C" types, "I" tags, "T" titles; and what they mean.
    std::array<QString, 32> types_, tags_, titles_, labels_;
    std::array<Meaning, 32> meanings_{};
    int meaningsFor_ = -1;  // the ListKind meanings_ holds, -1 when it must be learnt again
    bool categoryTable_ = false;
    int categoryLines_ = 0;
    QHash<QString, QString> categories_;  // code -> name, from the category table
    int events_ = 0, todos_ = 0, cards_ = 0;
    QHash<QUuid, int> seen_;  // how often each identity came in this transfer
    QStringList written_;
    std::unique_ptr<Stream> ics_, vcf_;
    std::unique_ptr<Scratch> scratch_;
};

}  // namespace fenmor
