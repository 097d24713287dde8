// The first start's output folder of an installed copy, made when a file is first saved into it.
#include "locations/first_save_folder.h"

#include <QDir>
#include <QFileInfo>

#include "locations/make_folder.h"

namespace fenmor {
namespace {

QString& MadeOnFirstSave() {
    static QString folder;
    return folder;
}

}  // namespace

void SetFolderMadeOnFirstSave(const QString& folder) {
    MadeOnFirstSave() = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

bool IsFolderMadeOnFirstSave(const QString& folder) {
    return !MadeOnFirstSave().isEmpty() && QDir::cleanPath(folder) == MadeOnFirstSave();
}

int PrepareFolderOf(const QString& filePath, QString* error) {
    const QString& allowed = MadeOnFirstSave();
    if (allowed.isEmpty()) return 0;
    const QString folder = QFileInfo(filePath).absolutePath();
    if (QDir::cleanPath(folder) != allowed || QFileInfo(folder).isDir()) return 0;
    const int e = MakeFolder(folder, 0777);
    if (e != 0 && error)
        *error = QStringLiteral("保存先フォルダーを作成できません。\r\n%1 (%2)")
                     .arg(folder, SystemErrorText(e));
    return e;
}

}  // namespace fenmor
