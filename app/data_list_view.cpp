#include "app/data_list_view.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

namespace fenmor {
namespace {
constexpr int kFramePeriodMs = 40;

// Every line is as wide as the scroll extent, so the view's scroll range is that extent.
class ExtentDelegate final : public QStyledItemDelegate {
  public:
    ExtentDelegate(int extent, QObject* parent) : QStyledItemDelegate(parent), extent_(extent) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setWidth(extent_);
        return s;
    }

  private:
    int extent_;
};

}  // namespace

DataListView::DataListView(QListView* view) : QAbstractListModel(view), view_(view) {
    view_->setModel(this);
    sinceRepaint_.start();
}

int DataListView::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant DataListView::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return lines_[static_cast<size_t>(index.row())];
}

void DataListView::clear() {
    beginResetModel();
    lines_.clear();
    endResetModel();
}

// A processing run appends without returning to the event loop: the list is brought up to
// date at a frame rate while it runs, and the last line made current once it has ended.
void DataListView::append(const QString& line) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    lines_.push_back(line);
    endInsertRows();
    if (sinceRepaint_.elapsed() >= kFramePeriodMs) {
        showLast();
        view_->viewport()->repaint();
        sinceRepaint_.restart();
    }
    if (!showPending_) {
        showPending_ = true;
        QTimer::singleShot(0, this, [this, generation = showGeneration_] {
            showPending_ = false;
            if (generation == showGeneration_) showLast();
        });
    }
}

void DataListView::showLast() {
    if (lines_.empty()) return;
    const QModelIndex last = index(rowCount() - 1);
    view_->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
    view_->scrollTo(last);
}

void DataListView::takeFocus() { view_->setFocus(); }

void DataListView::setHorizontalExtent(int pixels) {
    QAbstractItemDelegate* old = view_->itemDelegate();
    view_->setItemDelegate(new ExtentDelegate(pixels, view_));
    if (old && old->parent() == view_) old->deleteLater();
}

void DataListView::selectFirst() {
    ++showGeneration_;
    if (lines_.empty()) return;
    view_->setCurrentIndex(index(0));
    view_->scrollTo(index(0));
}

std::vector<int> DataListView::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : view_->selectionModel()->selectedIndexes()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace fenmor
