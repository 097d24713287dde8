#include "app/entry_validators.h"

#include <QLineEdit>
#include <QToolTip>
#include <QValidator>

#include "app/controls.h"
#include "core/text_util.h"

namespace fenmor {
namespace {

class StoredTextValidator final : public QValidator {
  public:
    StoredTextValidator(QLineEdit* box, bool quoted)
        : QValidator(box), box_(box), quoted_(quoted) {}

    State validate(QString& input, int&) const override {
        const QString problem = quoted_ ? QuotedTextProblem(input) : UnquotedTextProblem(input);
        if (problem.isEmpty()) return Acceptable;
        // Trailing spaces are fine while typing on: "a b" passes through "a ".
        const QString trimmed = TrimRightSpaces(input);
        if (!quoted_ && !trimmed.isEmpty() && UnquotedTextProblem(trimmed).isEmpty())
            return Intermediate;
        QToolTip::showText(box_->mapToGlobal(QPoint(0, box_->height())), problem, box_);
        return Invalid;
    }
    void fixup(QString& input) const override {
        if (!quoted_) input = TrimRightSpaces(input);
    }

  private:
    QLineEdit* box_;
    bool quoted_;
};

}  // namespace

void InstallEntryValidators(const Controls& c) {
    for (QLineEdit* box : {c.txDF[0], c.txDF[1], c.txDF[2], c.txCR, c.txKAK, c.txYMD, c.txSEPA[0],
                           c.txSEPA[1], c.txSEPA[2], c.txSEPA[3]})
        box->setValidator(new StoredTextValidator(box, true));
    c.txYMD2->setValidator(new StoredTextValidator(c.txYMD2, false));
}

}  // namespace fenmor
