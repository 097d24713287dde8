// The browse button beside the file-name box: the user picks the output file in a dialog.
#pragma once

#include <QString>
#include <optional>

namespace fenmor {

struct Session;

// What the platform's Open dialog is shown with.
struct FileDialogRequest {
    QString title;
    // Label and pattern pairs separated by "|": "Text (*.TXT)|*.TXT|All (*.*)|*.*".
    QString filter;
    QString initialFolder;
    QString fileName;  // the name field's text when the dialog opens
};

class FileDialog {
  public:
    virtual ~FileDialog() = default;
    // Shows an Open-style dialog in which a new name may be typed; the chosen full file name,
    // or nothing when cancelled.
    virtual std::optional<QString> showOpen(const FileDialogRequest& request) = 0;
};

inline const QString kOutputFileFilter =
    QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.TXT)|*.TXT|すべてのﾌｧｲﾙ (*.*)|*.*");

// Shows the dialog, asks before an existing file is taken, and puts the chosen name into
// the file-name box. The file itself is opened only when the next data set starts.
void btOPEN_Click(Session& s, FileDialog& dialog);

}  // namespace fenmor
