#include "app/copy_print.h"

#include "core/session.h"

namespace fenmor {

QString CopyText(const std::vector<QString>& lines, const std::vector<int>& selectedRows) {
    QString text;
    for (int row : selectedRows) {
        if (row < 0 || row >= static_cast<int>(lines.size())) continue;
        text += lines[static_cast<size_t>(row)] + kCrLf;
        if (text.size() > kCopyLimit) break;
    }
    return text;
}

std::optional<QStringList> LinesToPrint(Session& s, const std::vector<QString>& lines,
                                        const std::vector<int>& selectedRows) {
    if (lines.empty()) {
        s.message(QStringLiteral("印刷するデータはありません"), Buttons::Ok, Icon::None);
        return std::nullopt;
    }
    s.zMS = QStringLiteral("全体を印刷しますか？") + kCrLf +
            QStringLiteral("[いいえ]で選択部分だけ印刷します。");
    const short answer =
        s.message(s.zMS, Buttons::YesNoCancel, Icon::None, QStringLiteral("データの簡易印刷"));
    if (answer == kCancel) return std::nullopt;
    QStringList out;
    if (answer == kYes) {
        out.reserve(static_cast<qsizetype>(lines.size()));
        for (const QString& l : lines) out.push_back(l);
    } else {
        for (int row : selectedRows)
            if (row >= 0 && row < static_cast<int>(lines.size()))
                out.push_back(lines[static_cast<size_t>(row)]);
    }
    return out;
}

void ReportPrintResult(Session& s, const PrintResult& result) {
    if (!result.ok) {
        s.message(QStringLiteral("印刷できませんでした。") + kCrLf + result.error, Buttons::Ok,
                  Icon::Exclamation);
    } else if (!result.pdfFile.isEmpty()) {
        s.message(QStringLiteral("プリンタが見つからないため、PDF ファイルに印刷しました。") +
                      kCrLf + result.pdfFile,
                  Buttons::Ok, Icon::None);
    }
}

}  // namespace fenmor
