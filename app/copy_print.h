// Taking the data list's lines out of the program: the selected ones to the clipboard, all or
// the selected ones to the printer.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace fenmor {

struct Session;

inline constexpr int kCopyLimit = 30000;  // characters

// The selected lines in list order, each followed by CR LF, up to and including the line that
// takes the text past the copy limit.
[[nodiscard]] QString CopyText(const std::vector<QString>& lines,
                               const std::vector<int>& selectedRows);

struct PrintResult {
    bool ok = true;
    QString pdfFile;  // set when no printer was installed and the lines went into this file
    QString error;    // the print service's words, when !ok
};

class Printer {
  public:
    virtual ~Printer() = default;
    // Prints the lines one below the other on A4 portrait in the small fixed-pitch font,
    // continuing on new pages, and sends the document off.
    virtual PrintResult print(const QStringList& lines) = 0;
};

// Asks whether everything or only the selection is to be printed; the lines to print, or
// nothing when there is nothing to print or the user cancelled.
[[nodiscard]] std::optional<QStringList> LinesToPrint(Session& s, const std::vector<QString>& lines,
                                                      const std::vector<int>& selectedRows);

// Tells the user where a document printed to a file went, or why printing failed.
void ReportPrintResult(Session& s, const PrintResult& result);

}  // namespace fenmor
