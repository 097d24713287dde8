#include "app/file_dialog_service.h"

#include <QFileDialog>

namespace fenmor {

QStringList FileDialogService::FiltersOf(const QString& pairs) {
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        // The dialog reads the patterns from the label's brackets; add them when the label has
        // none.
        filters.push_back(label.contains(u'(') ? label
                                               : label + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

std::optional<QString> FileDialogService::showOpen(const FileDialogRequest& request) {
    QFileDialog dialog(parent_, request.title, request.initialFolder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);  // a new name may be typed
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the caller asks itself
    const QStringList filters = FiltersOf(request.filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().front());
}

}  // namespace fenmor
