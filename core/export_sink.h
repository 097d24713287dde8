// What the data path tells the writers beside the specified files: it never changes what the
// specified writers write, it only lets an exporter see the same lines and records.
#pragma once

#include <QString>
#include <array>

namespace fenmor {

struct Session;
class OutputFile;

// A record as the parser left it: slot k holds field k, slot 1 the data-kind letter.
using ParsedRecord = std::array<QString, 37>;

class ExportSink {
  public:
    virtual ~ExportSink() = default;
    // The transfer's output file has just been opened, nothing written yet.
    virtual void outputFileOpened(OutputFile& file) = 0;
    // A received line as it reaches the parser (before line-break codes are replaced).
    virtual void lineArrived(const QString& line) = 0;
    // The record of that line after the dispatch has routed it; parsed is the record as parsed.
    virtual void recordDispatched(Session& s, const ParsedRecord& parsed) = 0;
    // The processing run has closed the output file.
    virtual void runEnded(Session& s) = 0;
};

}  // namespace fenmor
