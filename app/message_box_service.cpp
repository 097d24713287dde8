#include "app/message_box_service.h"

#include <QMessageBox>

namespace fenmor {
namespace {

QMessageBox::StandardButtons ButtonsOf(Buttons b) {
    switch (b) {
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

short AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return kCancel;
        case QMessageBox::Yes:
            return kYes;
        case QMessageBox::No:
            return kNo;
        default:
            return kOk;
    }
}

}  // namespace

short MessageBoxService::show(const QString& text, Buttons buttons, Icon icon,
                              const QString& title) {
    // A message at start-up comes before the window is shown; the window comes first, so that
    // the user sees what the message is about.
    if (parent_ != nullptr && !parent_->isVisible()) parent_->show();
    QMessageBox box(parent_);
    box.setWindowTitle(title.isEmpty() ? kAppTitle : title);
    box.setText(QString(text).replace(kCrLf, QStringLiteral("\n")));
    box.setStandardButtons(ButtonsOf(buttons));
    box.setIcon(icon == Icon::Exclamation ? QMessageBox::Warning
                : icon == Icon::Question  ? QMessageBox::Question
                                          : QMessageBox::NoIcon);
    const QMessageBox::StandardButton first =
        buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? QMessageBox::Yes
                                                                     : QMessageBox::Ok;
    box.setDefaultButton(first);
    return AnswerOf(box.exec());
}

}  // namespace fenmor
