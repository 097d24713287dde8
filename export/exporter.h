// The exporter the data path feeds: it sets the character set of the transfer's output file and
// collects schedule, action-list and address-book records into the .ics and .vcf files written
// beside that file, with the same base name, when the processing run ends.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/session.h"
#include "export/columns.h"
#include "export/export_settings.h"
#include "export/export_sink.h"
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
    ParsedRecord withLineBreaks(const Session& s, const ParsedRecord& parsed);
    Columns columnsOf(const Session& s, const ParsedRecord& record, ListKind list) const;
    QString uidOf(const Session& s, const ParsedRecord& record);
    void addScheduleEntry(Session& s, const ParsedRecord& record);
    void writeFile(Session& s, const QString& extension, const QByteArray& bytes,
                   const QString& what);
    void reset();

    ExportSettings settings_;
    QString outputPath_;
    QString lastLine_;
    std::array<QString, 32> tags_, titles_;
    std::vector<CalendarItem> items_;
    int events_ = 0, todos_ = 0;
    QByteArray cards_;
    int cardCount_ = 0;
    QHash<QString, int> seen_;
    QStringList written_;
    std::unique_ptr<Scratch> scratch_;
};

}  // namespace fenmor
