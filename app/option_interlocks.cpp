#include "app/option_interlocks.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/session.h"

namespace fenmor {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kGrey(128, 128, 128);

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);  // in every state, so a disabled frame keeps it
    label->setPalette(p);
}

}  // namespace

void OptionInterlocks::ckCSVD_Click() {
    const int v = s_.opt.value(Option::ckCSVD);
    const bool enabled = v == 0;
    const QColor& colour = v == 1 ? kGrey : kBlack;  // 2 comes only from a configuration file
    for (int i = 0; i <= 2; ++i) {
        c_.txSEPA[static_cast<size_t>(i)]->setEnabled(enabled);
        c_.opSEPA[static_cast<size_t>(i)]->setEnabled(enabled);
    }
    c_.txSEPA[3]->setEnabled(enabled);
    c_.Frame2[0]->setEnabled(enabled);
    c_.ckDA->setEnabled(enabled);
    c_.txYMD->setEnabled(enabled);
    for (int i = 0; i <= 8; ++i) SetTextColour(c_.laSEPA[static_cast<size_t>(i)], colour);
}

void OptionInterlocks::opCSV_Click(int index) {
    if (nCH == 0) {
        nCH = 10;
        return;
    }
    QString extension;
    if (index == 0) {
        s_.zMS = QStringLiteral("カンマ区切りに切り替えます！") + kCrLf +
                 QStringLiteral("拡張子を CSV にしますか？（推奨）");
        extension = QStringLiteral("CSV");
    } else if (index == 1) {
        s_.zMS = QStringLiteral("タブ区切りに切り替えます！") + kCrLf +
                 QStringLiteral("拡張子を TXT にしますか？（推奨）");
        extension = QStringLiteral("TXT");
    } else {
        return;
    }
    if (s_.message(s_.zMS, Buttons::YesNo, Icon::None, QStringLiteral("拡張子選択")) == kYes)
        s_.opt.setText(Option::txKAK, extension);
}

void OptionInterlocks::opF_Click(int index) {
    if (index != 0 && index != 1) return;
    const bool chosenName = index == 1;
    c_.txFME->setEnabled(chosenName);
    c_.btOPEN->setEnabled(chosenName);
    c_.txDF[1]->setEnabled(!chosenName);
}

void OptionInterlocks::opSEPA_Click(int index) {
    for (QLineEdit* box : c_.txSEPA) box->setEnabled(false);
    if (index == 1) c_.txSEPA[0]->setEnabled(true);
    if (index == 2)
        for (int i = 1; i <= 3; ++i) c_.txSEPA[static_cast<size_t>(i)]->setEnabled(true);
}

}  // namespace fenmor
