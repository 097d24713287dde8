// The port list as a user finds it: each COM entry shows, when the list is opened, whether it
// reaches a device now and what that device is, and a detected device can be given to an entry
// from the list's own menu (right click), without making a link by hand.
#pragma once

#include <QComboBox>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/services.h"
#include "serial/port_inventory.h"

class QMenu;

namespace fenmor {

// A drop-down list that says when it is about to open.
class PortListBox final : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;

  Q_SIGNALS:
    void aboutToShowPopup();
};

// The item data role that holds an entry's detail line.
inline constexpr int kPortDetailRole = Qt::UserRole + 1;

class PortList final : public QObject {
    Q_OBJECT
  public:
    // tell shows a short confirmation (the status line).
    PortList(QComboBox* list, QString programFolder, MessageService& messages,
             std::function<void(const QString&)> tell, QObject* parent = nullptr);
    ~PortList() override;

    // The enumeration to use instead of the system's (tests give a fake); not owned.
    void setEnumerator(PortEnumerator* enumerator) { enumerator_ = enumerator; }

    // Reads the devices present and marks every entry.
    void refresh();
    // The menu that gives COMn a detected device or takes its link away; the caller owns it.
    [[nodiscard]] QMenu* menuFor(int n);
    // The COM number the list shows now.
    [[nodiscard]] int entryShown() const;

  private:
    void showMenu(const QPoint& at, QWidget* from);
    void assign(int n, const DetectedPort& device);
    void unassign(int n);

    QComboBox* list_;
    QString programFolder_;
    MessageService& messages_;
    std::function<void(const QString&)> tell_;
    std::unique_ptr<PortEnumerator> system_;
    PortEnumerator* enumerator_;
    QList<DetectedPort> detected_;
};

}  // namespace fenmor
