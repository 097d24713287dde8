// The home and configuration folders of an installed copy, checked before the window starts.
#pragma once

#include <QString>

namespace fenmor {

// Without HOME, Qt and the user's folders would fall back to "/": HOME is then set to the
// home folder of the user's account. Returns a notice for the user when it had to do so.
[[nodiscard]] QString SettleHomeVariable();

// Makes the configuration folder (for the user alone) when it is missing. Returns why the
// options cannot be saved there, as a message for the user, or an empty text when they can.
[[nodiscard]] QString PrepareConfigFolder(const QString& folder);

}  // namespace fenmor
