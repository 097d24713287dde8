#include "app/system_printer.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/controls.h"
#include "locations/first_save_folder.h"

namespace fenmor {
namespace {

// The printable area of the design's A4 sheet, 197 by 286 mm, and where the first line starts
// in it: 19 mm in from its left edge and 10 mm down from its top.
const QMarginsF kPdfMargins(6.5, 5.5, 6.5, 5.5);
constexpr double kLeftMm = 19;
constexpr double kTopMm = 10;
constexpr double kFontPoints = 7;

double MmToDevice(double mm, const QPrinter& p) { return mm / 25.4 * p.resolution(); }

}  // namespace

QString NewPdfName(const QString& folder, const QDateTime& when) {
    const QString stem = QDir(folder).filePath(QStringLiteral("Fenmor-print-") +
                                               when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QString name = stem + QStringLiteral(".pdf");
    for (int n = 1; QFileInfo::exists(name); ++n) name = stem + QStringLiteral("(%1).pdf").arg(n);
    return name;
}

PrintResult SystemPrinter::print(const QStringList& lines) {
    QPrinter printer(QPrinter::HighResolution);
    PrintResult result;
    const QPrinterInfo installed = QPrinterInfo::defaultPrinter();
    if (pdfOnly_ || installed.isNull()) {
        result.pdfFile = NewPdfName(pdfFolder_(), now_());
        (void)PrepareFolderOf(result.pdfFile, nullptr);  // a failure shows when the file is begun
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(result.pdfFile);
        printer.setPageMargins(kPdfMargins, QPageLayout::Millimeter);
    } else {
        printer.setPrinterName(installed.printerName());
    }
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("Fenmor"));

    QPainter painter;
    if (!painter.begin(&printer)) {
        return {false,
                {},
                result.pdfFile.isEmpty() ? QStringLiteral("プリンタを使えません。")
                                         : result.pdfFile + QStringLiteral(" を作成できません。")};
    }
    QFont font(FixedPitchFace());
    font.setPointSizeF(kFontPoints);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const QRectF area(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    const double left = MmToDevice(kLeftMm, printer);
    const double top = MmToDevice(kTopMm, printer) + metrics.ascent();
    double y = top;
    for (const QString& line : lines) {
        if (y + metrics.descent() > area.bottom() && y > top) {
            if (!printer.newPage()) return {false, {}, QStringLiteral("次のページに進めません。")};
            y = top;
        }
        painter.drawText(QPointF(left, y), line);
        y += metrics.lineSpacing();
    }
    if (!painter.end()) return {false, {}, QStringLiteral("印刷を終了できません。")};
    if (!result.pdfFile.isEmpty() && !QFileInfo::exists(result.pdfFile))
        return {false, {}, result.pdfFile + QStringLiteral(" を作成できません。")};
    return result;
}

}  // namespace fenmor
