// Printing on the default printer, or, where none is installed, into a PDF file.
#pragma once

#include <QDateTime>
#include <functional>

#include "app/copy_print.h"

namespace fenmor {

class SystemPrinter final : public Printer {
  public:
    // pdfFolder: where a PDF file goes when there is no printer (the output folder).
    SystemPrinter(std::function<QString()> pdfFolder, std::function<QDateTime()> now)
        : pdfFolder_(std::move(pdfFolder)), now_(std::move(now)) {}
    PrintResult print(const QStringList& lines) override;

    // Forces printing into a PDF file, as on a machine without a printer.
    void setPdfOnly(bool on) { pdfOnly_ = on; }

  private:
    std::function<QString()> pdfFolder_;
    std::function<QDateTime()> now_;
    bool pdfOnly_ = false;
};

// "Fenmor-print-yyyymmdd-hhnnss.pdf" in folder, with "(1)", "(2)" ... before the extension
// while that name is taken.
[[nodiscard]] QString NewPdfName(const QString& folder, const QDateTime& when);

}  // namespace fenmor
