// The columns of one transfer's data sets: what each was taken to mean and why, a list to
// change it, and a preview of the first record as a phone shows it. The user's choices are kept
// in the column map beside the settings, for every later transfer of the same layout.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "core/option_set.h"
#include "export/column_map.h"
#include "export/exporter.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace fenmor {

class ColumnMeaningsDialog final : public QDialog {
  public:
    // writeAgain: re-exports the transfer with the map just saved.
    ColumnMeaningsDialog(std::vector<ColumnReport> columns, QString mapPath,
                         std::function<void()> writeAgain, QWidget* parent);

    [[nodiscard]] int rowCount() const;
    void setMeaning(int row, Meaning m);
    [[nodiscard]] QString whyText(int row) const;
    [[nodiscard]] QString preview() const;
    // Writes the user's choices into the map; false (and said) when it cannot be written.
    bool save();
    void saveAndWriteAgain();

  private:
    void showWhy();
    void showPreview();

    std::vector<ColumnReport> columns_;
    QString mapPath_;
    std::function<void()> writeAgain_;
    QTableWidget* table_;
    std::vector<QComboBox*> lists_;
    QLabel* preview_;
};

}  // namespace fenmor
