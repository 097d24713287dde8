// The receive port: opening and closing it, its communication events, and the end of a
// transfer after one second of silence.
#pragma once

#include <QString>

#include "core/session.h"
#include "journal/transfer_journal.h"
#include "serial/comm_port.h"

class QTimer;

namespace fenmor {

// What the port handling shows in the window besides the status label.
class ReceiveView {
  public:
    virtual ~ReceiveView() = default;
    virtual void showPortState(bool open) = 0;  // btSTA's caption and the laD bar
    virtual void setBusy(bool busy) = 0;        // the mouse pointer
    virtual void showDataPage() = 0;            // page 0 of SSTab1 to the front
    virtual void beep() = 0;
};

struct SerialLink {
    Session& s;
    CommPort& port;
    QTimer& Timer1;  // end of transfer
    QTimer& Timer2;  // status
    ReceiveView& view;
    TransferJournal* journal = nullptr;  // keeps every received block on disk
    // While a processing run or a re-conversion uses the buffer (its message boxes let the
    // port's events in), received bytes wait here, already in the journal, and join the
    // buffer once it is free: a transfer never mixes with another.
    int holds = 0;
    QByteArray held{};
};

// Takes and gives back the buffer; the last give-back starts on what waited.
void HoldReceived(SerialLink& l);
void ReleaseHeld(SerialLink& l);

void TogglePort(SerialLink& l);
void OnCommEvent(SerialLink& l);
void ShowReceiving(SerialLink& l);
void EndOfTransferTick(SerialLink& l);
void StatusTick(SerialLink& l);
// The device went away: the port is closed and the window shows it; what arrived stays.
void PortLost(SerialLink& l);

// The text of a communication event: status for codes 3 to 7, error for the others.
[[nodiscard]] QString StatusTextOf(int code);
[[nodiscard]] QString ErrorTextOf(int code);

}  // namespace fenmor
