#include "core/output_file_selection.h"

#include <QFileInfo>

#include "core/session.h"

namespace fenmor {

void btOPEN_Click(Session& s, FileDialog& dialog) {
    const FileDialogRequest request{
        QStringLiteral("出力ファイル名"), kOutputFileFilter, s.zDEF, {}};
    for (;;) {
        const std::optional<QString> chosen = dialog.showOpen(request);
        if (!chosen) return;
        s.zFME = *chosen;
        // A folder of that name is not a file that would be overwritten.
        if (!QFileInfo(s.zFME).isFile()) {
            s.opt.setText(Option::txFME, s.zFME);
            return;
        }
        s.zMS = QStringLiteral("既存のファイル ") + s.zFME + QStringLiteral(" を上書きしますか ?");
        const short answer = s.message(s.zMS, Buttons::YesNoCancel, Icon::Question);
        if (answer == kCancel) continue;
        if (answer == kYes) s.opt.setText(Option::txFME, s.zFME);
        return;
    }
}

}  // namespace fenmor
