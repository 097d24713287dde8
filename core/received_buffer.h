// The received-data buffer and the processing run that turns it into records and files.
#pragma once

#include <QByteArray>
#include <QString>

#include "core/session.h"

namespace fenmor {

// Appends one receive event's bytes. Returns false when the buffer is full: the message has
// been shown, the received bytes saved, and the program is to end (s.endProgram was called).
bool AppendReceivedData(Session& s, const QByteArray& bytes);
void ProcessReceivedData(Session& s);
void ResetReceivedData(Session& s);
void ScrollListToEnd(Session& s, const QString& text);

// The receive port opens: an empty buffer, and the next header starts a new data set.
void StartReceiving(Session& s);
// One second of silence ended the transfer: process it, then empty the buffer and the
// data-set state for the next one.
void FinishTransfer(Session& s);

}  // namespace fenmor
