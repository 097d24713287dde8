// The home and configuration folders of an installed copy, checked before the window starts.
#include "locations/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>

#include "locations/make_folder.h"

namespace fenmor {

QString SettleHomeVariable() {
    if (QDir::isAbsolutePath(qEnvironmentVariable("HOME"))) return {};
    const passwd* account = ::getpwuid(::getuid());
    const QString home =
        account && account->pw_dir ? QFile::decodeName(account->pw_dir) : QString();
    if (!QDir::isAbsolutePath(home) || home == QStringLiteral("/")) return {};
    qputenv("HOME", QFile::encodeName(home));
    return QStringLiteral(
               "環境変数 HOME が設定されていないため、ホームフォルダー「%1」を使います。")
        .arg(home);
}

QString PrepareConfigFolder(const QString& folder) {
    const QString notSaved = QStringLiteral("\r\nオプションは保存されません。");
    if (folder.isEmpty())
        return QStringLiteral(
                   "ホームフォルダーがわかりません（環境変数 HOME が設定されていません）。") +
               notSaved +
               QStringLiteral("\r\n受信したデータを保存するには、保存先を指定してください。");
    if (const int e = MakeFolder(folder, 0700))
        return QStringLiteral("設定フォルダー「%1」を作成できません（%2）。")
                   .arg(folder, SystemErrorText(e)) +
               notSaved;
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("設定フォルダー「%1」に書き込めません（%2）。")
                   .arg(folder, SystemErrorText(errno)) +
               notSaved;
    return {};
}

}  // namespace fenmor
