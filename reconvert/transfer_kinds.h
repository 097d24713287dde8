// Which kinds of data a transfer holds, read from its header lines, for the list of kept
// transfers.
#pragma once

#include <QByteArray>
#include <QStringList>

namespace fenmor {

// The kinds of the data sets in order of their first header, as the user knows them
// ("アドレス帳", "スケジュール", ...); an unknown header shows its name.
[[nodiscard]] QStringList TransferKinds(const QByteArray& bytes);

}  // namespace fenmor
