// Cuts decoded text into lines at carriage returns, as the processing run receives it entry by
// entry. Each character is searched once, however long a line grows before its carriage return.
#pragma once

#include <QString>
#include <functional>

namespace fenmor {

class LineCutter {
  public:
    // pending: the unfinished line (the run's zW); it keeps what follows the last carriage return.
    explicit LineCutter(QString& pending) : pending_(pending) {}

    // Appends text and hands every line it completes to onLine, in order.
    void add(const QString& text, const std::function<void(const QString&)>& onLine);

    // Characters looked at so far in the search for carriage returns.
    [[nodiscard]] qsizetype searched() const { return searched_; }

  private:
    qsizetype find(qsizetype from);

    QString& pending_;
    qsizetype searched_ = 0;
};

}  // namespace fenmor
