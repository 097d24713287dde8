// What the receive port tells the journal: every received block, and the end of its transfer.
#pragma once

#include <QByteArray>

namespace fenmor {

class TransferJournal {
  public:
    virtual ~TransferJournal() = default;
    // The bytes of one receive event, in the order they arrived.
    virtual void received(const QByteArray& block) = 0;
    // The transfer has been processed (its files written): its journal is done.
    virtual void processed() = 0;
};

}  // namespace fenmor
