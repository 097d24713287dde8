// The data list liD: a list model that takes tens of thousands of lines at once, shown in the
// window's list view with the newest line current.
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <vector>

#include "core/services.h"

class QListView;

namespace fenmor {

class DataListView final : public QAbstractListModel, public DataList {
    Q_OBJECT
  public:
    explicit DataListView(QListView* view);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void clear() override;
    void append(const QString& line) override;
    void takeFocus() override;

    // The width in pixels the lines can be scrolled across, whatever their length.
    void setHorizontalExtent(int pixels);
    // Makes the first line current and selected, bringing the top into view.
    void selectFirst();

    [[nodiscard]] const std::vector<QString>& lines() const { return lines_; }
    // The selected lines in list order.
    [[nodiscard]] std::vector<int> selectedRows() const;

  private:
    void showLast();

    QListView* view_;
    std::vector<QString> lines_;
    QElapsedTimer sinceRepaint_;
    bool showPending_ = false;
    int showGeneration_ = 0;  // a newer choice of the current line cancels a pending showLast
};

}  // namespace fenmor
