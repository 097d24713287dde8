// The journal's transfers in a small list (start time, size, data kinds, converted or not),
// from which one is converted again or deleted, or saved files are chosen to convert.
#pragma once

#include <QDialog>
#include <vector>

#include "journal/journal_files.h"

class QLabel;
class QTableWidget;

namespace fenmor {

class Reconversion;

class KeptTransfersDialog final : public QDialog {
    Q_OBJECT
  public:
    KeptTransfersDialog(Reconversion& reconversion, QWidget* parent);

    void refresh();
    [[nodiscard]] int rowCount() const;
    [[nodiscard]] QStringList rowTexts(int row) const;
    void selectRow(int row);
    void convertSelected();
    void deleteSelected();
    void convertChosenFiles();
    void showColumnsOfSelected();

  private:
    [[nodiscard]] const JournalEntry* selected() const;

    Reconversion& r_;
    QLabel* folder_;
    QTableWidget* table_;
    std::vector<JournalEntry> entries_;
};

}  // namespace fenmor
