// The platform's file dialog for the browse button.
#pragma once

#include "core/output_file_selection.h"

class QWidget;

namespace fenmor {

class FileDialogService final : public FileDialog {
  public:
    explicit FileDialogService(QWidget* parent) : parent_(parent) {}
    std::optional<QString> showOpen(const FileDialogRequest& request) override;

    // "Label|pattern|Label|pattern" as the dialog's filters, labels shown as they stand.
    [[nodiscard]] static QStringList FiltersOf(const QString& pairs);

  private:
    QWidget* parent_;
};

}  // namespace fenmor
