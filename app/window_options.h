// The option set as the window's controls hold it.
#pragma once

#include "app/controls.h"
#include "core/option_set.h"

class QTimer;

namespace fenmor {

class WindowOptions final : public OptionSet {
  public:
    WindowOptions(const Controls& c, QTimer* timer1, QTimer* timer2)
        : c_(c), timer1_(timer1), timer2_(timer2) {}
    [[nodiscard]] int value(Option o) const override;
    [[nodiscard]] QString text(Option o) const override;
    // Setting a different value emits the control's signal, which runs its change handler.
    void setValue(Option o, int v) override;
    void setText(Option o, const QString& t) override;

  private:
    const Controls& c_;
    QTimer* timer1_;
    QTimer* timer2_;
};

}  // namespace fenmor
