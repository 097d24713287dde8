#include "app/window_options.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <span>

namespace fenmor {
namespace {

QCheckBox* CheckOf(const Controls& c, Option o) {
    switch (o) {
        case Option::ckSF0:
            return c.ckSF[0];
        case Option::ckSF1:
            return c.ckSF[1];
        case Option::ckSF2:
            return c.ckSF[2];
        case Option::ckPT:
            return c.ckPT;
        case Option::ckDA:
            return c.ckDA;
        case Option::ckHK:
            return c.ckHK;
        case Option::ckCSVD:
            return c.ckCSVD;
        case Option::ckKUTO:
            return c.ckKUTO;
        case Option::ckHkana:
            return c.ckHkana;
        case Option::ckCrc:
            return c.ckCrc;
        default:
            return nullptr;
    }
}

std::span<QRadioButton* const> GroupOf(const Controls& c, Option o) {
    switch (o) {
        case Option::opIR:
            return c.opIR;
        case Option::opF:
            return c.opF;
        case Option::opCSV:
            return c.opCSV;
        case Option::opSEPA:
            return c.opSEPA;
        default:
            return {};
    }
}

QLineEdit* TextOf(const Controls& c, Option o) {
    switch (o) {
        case Option::txDF0:
            return c.txDF[0];
        case Option::txDF1:
            return c.txDF[1];
        case Option::txDF2:
            return c.txDF[2];
        case Option::txCR:
            return c.txCR;
        case Option::txKAK:
            return c.txKAK;
        case Option::txYMD:
            return c.txYMD;
        case Option::txSEPA0:
            return c.txSEPA[0];
        case Option::txSEPA1:
            return c.txSEPA[1];
        case Option::txSEPA2:
            return c.txSEPA[2];
        case Option::txSEPA3:
            return c.txSEPA[3];
        case Option::txYMD2:
            return c.txYMD2;
        case Option::txFME:
            return c.txFME;
        default:
            return nullptr;
    }
}

void SelectInGroup(std::span<QRadioButton* const> group, int index) {
    if (index >= 0 && index < static_cast<int>(group.size())) {
        group[static_cast<size_t>(index)]->setChecked(true);
        return;
    }
    // None selected: an exclusive group cannot uncheck its button, so lift that for a moment.
    for (QRadioButton* b : group) {
        QButtonGroup* g = b->group();
        if (g) g->setExclusive(false);
        b->setChecked(false);
        if (g) g->setExclusive(true);
    }
}

}  // namespace

int WindowOptions::value(Option o) const {
    if (QCheckBox* b = CheckOf(c_, o))
        return static_cast<int>(b->checkState()) == 1 ? 2 : (b->isChecked() ? 1 : 0);
    const auto group = GroupOf(c_, o);
    if (!group.empty()) {
        for (size_t i = 0; i < group.size(); ++i)
            if (group[i]->isChecked()) return static_cast<int>(i);
        return -1;
    }
    switch (o) {
        case Option::cobPT:
            return c_.cobPT->currentIndex();
        case Option::cobSP:
            return c_.cobSP->currentIndex();
        case Option::SSTab1:
            return std::min(c_.SSTab1->currentIndex(), 1);  // the export page is an options page
        case Option::Timer1:
            return timer1_->interval();
        case Option::Timer2:
            return timer2_->interval();
        default:
            return 0;
    }
}

QString WindowOptions::text(Option o) const {
    if (QLineEdit* e = TextOf(c_, o)) return e->text();
    if (o == Option::cobPT) return c_.cobPT->currentText();
    if (o == Option::cobSP) return c_.cobSP->currentText();
    return {};
}

void WindowOptions::setValue(Option o, int v) {
    if (QCheckBox* b = CheckOf(c_, o)) {
        // A configuration file may bring 2, the greyed state.
        b->setTristate(v == 2);
        b->setCheckState(v == 2 ? Qt::PartiallyChecked : v ? Qt::Checked : Qt::Unchecked);
        return;
    }
    const auto group = GroupOf(c_, o);
    if (!group.empty()) return SelectInGroup(group, v);
    switch (o) {
        case Option::cobPT:
            c_.cobPT->setCurrentIndex(v);
            break;
        case Option::cobSP:
            c_.cobSP->setCurrentIndex(v);
            break;
        case Option::SSTab1:
            c_.SSTab1->setCurrentIndex(v);
            break;
        case Option::Timer1:
            timer1_->setInterval(v);
            break;
        case Option::Timer2:
            timer2_->setInterval(v);
            break;
        default:
            break;
    }
}

void WindowOptions::setText(Option o, const QString& t) {
    if (QLineEdit* e = TextOf(c_, o)) e->setText(t);
}

}  // namespace fenmor
