// Message boxes of the window, as QMessageBox shows them.
#pragma once

#include "core/services.h"

class QWidget;

namespace fenmor {

class MessageBoxService final : public MessageService {
  public:
    explicit MessageBoxService(QWidget* parent) : parent_(parent) {}
    short show(const QString& text, Buttons buttons, Icon icon, const QString& title) override;

  private:
    QWidget* parent_;
};

}  // namespace fenmor
