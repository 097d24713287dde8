// The tab page "書き出し ": the character set of text files and the calendar and address-book
// files written beside them. Each change applies at once and is kept in "Fenmor.ini".
#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "export/export_settings.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace fenmor {

class Exporter;
class MessageService;

class ExportPage final : public QWidget {
  public:
    // Adds itself as the last page of tabs and shows the exporter's settings.
    ExportPage(QTabWidget* tabs, double dpi, Exporter& exporter, const QString& iniPath,
               MessageService& messages);

    std::array<QRadioButton*, 3> opCHR{};  // Shift-JIS, UTF-8, UTF-8 with BOM
    QCheckBox* ckICS = nullptr;
    std::array<QRadioButton*, 2> opTZ{};  // floating, system time zone
    QCheckBox* ckVCF = nullptr;
    std::array<QRadioButton*, 2> opVCV{};  // vCard 4.0, 3.0
    QPushButton* btCOLS = nullptr;         // the last transfer's column meanings

  private:
    void display(const ExportSettings& s);
    void apply();

    Exporter& exporter_;
    QString iniPath_;
    MessageService& messages_;
    bool showing_ = false;
    bool saveErrorShown_ = false;
};

}  // namespace fenmor
