#include "serial/port_open_failure.h"

#include <pwd.h>
#include <unistd.h>

#include <QFileInfo>

namespace fenmor {
namespace {

QString LoginName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_name != nullptr)
        return QString::fromLocal8Bit(pw->pw_name);
    return QStringLiteral("$USER");
}

const QString kWhereToChoose = QStringLiteral(
    "ウィンドウ上部の「接続」欄にある「ポート」の一覧で、別の COM を選んでください。"
    "一覧を開くと、いまつながっている装置の COM に ● が付きます"
    "（一覧を右クリックすると、見つかった装置をその COM に割り当てられます）。");

}  // namespace

OpenProblem ClassifyOpenFailure(const QString& device, QSerialPort::SerialPortError error) {
    if (device.isEmpty() || !QFileInfo::exists(device) || error == QSerialPort::DeviceNotFoundError)
        return OpenProblem::Missing;
    if (error != QSerialPort::PermissionError) return OpenProblem::Other;
    // The port says "permission" also when the device is busy or locked by another program;
    // only the file's own permissions tell the two apart.
    const QByteArray path = QFileInfo(device).canonicalFilePath().toLocal8Bit();
    return ::access(path.constData(), R_OK | W_OK) == 0 ? OpenProblem::InUse
                                                        : OpenProblem::NoPermission;
}

QStringList DevicesPresent(const QString& programFolder, const QList<DetectedPort>& detected) {
    QStringList lines;
    QList<QString> reached;
    for (int n = 1; n <= 16; ++n) {
        const PortEntry e = DescribePortEntry(n, programFolder, detected);
        if (!e.detected) continue;
        reached << e.detected->device;
        lines << QStringLiteral("COM%1: %2  %3")
                     .arg(n)
                     .arg(e.device, e.detected->summary())
                     .trimmed();
    }
    for (const DetectedPort& d : detected)
        if (!reached.contains(d.device))
            lines << QStringLiteral("（COM なし）: %1  %2").arg(d.device, d.summary()).trimmed();
    return lines;
}

QString OpenFailureText(const PortEntry& e, OpenProblem problem, const QString& systemText,
                        const QStringList& present) {
    if (problem == OpenProblem::Missing && !present.isEmpty())
        return OpenFailureText(e, problem, systemText) +
               QStringLiteral("\r\nいまつながっている装置:\r\n  ") +
               present.join(QStringLiteral("\r\n  "));
    const QString com = QStringLiteral("COM%1").arg(e.number);
    switch (problem) {
        case OpenProblem::Missing:
            if (!e.linkTarget.isEmpty())
                return QStringLiteral(
                           "%1 は dosdevices/com%2 で %3 に割り当てられていますが、"
                           "その装置がありません（抜かれたか、名前が変わりました）。\r\n"
                           "装置をつないでから開き直すか、")
                           .arg(com)
                           .arg(e.number)
                           .arg(e.linkTarget) +
                       kWhereToChoose;
            return QStringLiteral("%1 の装置 %2 がありません。\r\n装置をつないでから開き直すか、")
                       .arg(com, e.device) +
                   kWhereToChoose;
        case OpenProblem::NoPermission:
            return QStringLiteral(
                       "%1 の装置 %2 を開く権限がありません。\r\n"
                       "利用者 %3 を dialout グループに入れてください"
                       "（端末で sudo adduser %3 dialout）。\r\n"
                       "そのあと一度ログアウトしてログインし直すと、開けるようになります。")
                .arg(com, e.device, LoginName());
        case OpenProblem::InUse:
            return QStringLiteral(
                       "%1 の装置 %2 は、ほかのプログラムが使っています。\r\n"
                       "そのプログラムを終えてから開き直してください。（%3）")
                .arg(com, e.device, systemText);
        case OpenProblem::Other:
            break;
    }
    return QStringLiteral("%1 (%2) を開けません: %3").arg(com, e.device, systemText);
}

}  // namespace fenmor
