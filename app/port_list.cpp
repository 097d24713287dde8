#include "app/port_list.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "serial/com_names.h"
#include "serial/port_settings.h"

namespace fenmor {
namespace {

constexpr int kEntries = 16;

// Where an entry's detail line starts: after the widest name, so that the details line up.
int DetailColumn(const QFontMetrics& m) {
    return m.horizontalAdvance(QStringLiteral("COM16")) + 2 * m.averageCharWidth() + 4;
}

// Draws an entry of the opened list as its name followed by its detail line; the entry's own
// text stays "COMn", which is what choosing it applies.
class PortEntryDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QString detail = index.data(kPortDetailRole).toString();
        if (detail.isEmpty()) return;
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        painter->save();
        painter->setFont(opt.font);
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(opt.rect.adjusted(DetailColumn(opt.fontMetrics), 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, detail);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString detail = index.data(kPortDetailRole).toString();
        if (!detail.isEmpty())
            size.setWidth(DetailColumn(option.fontMetrics) +
                          option.fontMetrics.horizontalAdvance(detail) + 8);
        return size;
    }
};

QString EntryTip(const PortEntry& e) {
    QString tip = e.device;
    if (e.detected && !e.detected->summary().isEmpty())
        tip += QStringLiteral("\n") + e.detected->summary();
    if (e.danglingLink()) tip += QStringLiteral("\nリンク先の装置がありません。");
    tip += QStringLiteral("\n右クリックで、見つかった装置をこの COM に割り当てられます。");
    return tip;
}

}  // namespace

void PortListBox::showPopup() {
    Q_EMIT aboutToShowPopup();
    QComboBox::showPopup();
}

PortList::PortList(QComboBox* list, QString programFolder, MessageService& messages,
                   std::function<void(const QString&)> tell, QObject* parent)
    : QObject(parent),
      list_(list),
      programFolder_(std::move(programFolder)),
      messages_(messages),
      tell_(std::move(tell)),
      system_(std::make_unique<SystemPortEnumerator>()),
      enumerator_(system_.get()) {
    list_->setItemDelegate(new PortEntryDelegate(list_));
    if (auto* box = qobject_cast<PortListBox*>(list_))
        connect(box, &PortListBox::aboutToShowPopup, this, &PortList::refresh);
    // The list's own menu, also over its text field, whose editing menu it replaces.
    for (QWidget* w : {static_cast<QWidget*>(list_), static_cast<QWidget*>(list_->lineEdit())}) {
        if (w == nullptr) continue;
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { showMenu(at, w); });
    }
}

PortList::~PortList() = default;

void PortList::refresh() {
    detected_ = enumerator_->ports();
    const QFontMetrics metrics(list_->view()->font());
    int widest = list_->width();
    for (int i = 0; i < std::min(list_->count(), kEntries); ++i) {
        const PortEntry e = DescribePortEntry(i + 1, programFolder_, detected_);
        const QString detail = PortEntryDetail(e);
        list_->setItemData(i, detail, kPortDetailRole);
        list_->setItemData(i, EntryTip(e), Qt::ToolTipRole);
        widest = std::max(widest, DetailColumn(metrics) + metrics.horizontalAdvance(detail));
    }
    // Room for the detail lines; the opened list may be wider than the list itself.
    list_->view()->setMinimumWidth(widest + 2 * metrics.averageCharWidth() + 24);
}

int PortList::entryShown() const {
    if (list_->currentIndex() >= 0) return list_->currentIndex() + 1;
    const int n = PortNumberOf(list_->currentText());
    return n >= 1 && n <= kEntries ? n : 1;
}

QMenu* PortList::menuFor(int n) {
    refresh();
    const PortEntry entry = DescribePortEntry(n, programFolder_, detected_);
    auto* menu = new QMenu(list_);
    menu->addSection(QStringLiteral("COM%1 に割り当てる装置").arg(n));
    for (const DetectedPort& d : std::as_const(detected_)) {
        QString text = d.device;
        if (!d.summary().isEmpty()) text += QStringLiteral("  ") + d.summary();
        QAction* action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(entry.assigned && entry.detected && entry.detected->device == d.device);
        connect(action, &QAction::triggered, this, [this, n, d] { assign(n, d); });
    }
    if (detected_.isEmpty())
        menu->addAction(QStringLiteral("（つながっている装置が見つかりません）"))
            ->setEnabled(false);
    if (entry.assigned) {
        menu->addSeparator();
        QAction* action = menu->addAction(QStringLiteral("COM%1 の割り当てを外す（%2 に戻す）")
                                              .arg(n)
                                              .arg(DefaultDeviceForPort(n)));
        connect(action, &QAction::triggered, this, [this, n] { unassign(n); });
    }
    return menu;
}

void PortList::showMenu(const QPoint& at, QWidget* from) {
    std::unique_ptr<QMenu> menu(menuFor(entryShown()));
    menu->exec(from->mapToGlobal(at));
}

void PortList::assign(int n, const DetectedPort& device) {
    const QString target = device.stablePath(enumerator_->byIdFolder());
    QString error;
    if (!AssignDevice(n, programFolder_, target, &error)) {
        messages_.show(error, Buttons::Ok, Icon::Exclamation, {});
        return;
    }
    refresh();
    tell_(QStringLiteral("COM%1 は %2 を開きます（次にポートを開いたときから）。")
              .arg(n)
              .arg(target));
}

void PortList::unassign(int n) {
    QString error;
    if (!RemoveAssignment(n, programFolder_, &error)) {
        messages_.show(error, Buttons::Ok, Icon::Exclamation, {});
        return;
    }
    refresh();
    tell_(QStringLiteral("COM%1 は %2 を開きます（次にポートを開いたときから）。")
              .arg(n)
              .arg(DefaultDeviceForPort(n)));
}

}  // namespace fenmor
