#include "serial/port_settings.h"

namespace fenmor {

int PortNumberOf(const QString& portText) {
    qsizetype i = portText.size();
    while (i > 0 && portText[i - 1].isDigit()) --i;
    return portText.mid(i).toInt();
}

void setCOM(Session& s, CommPort& port, const QString& portText, const QString& speedText) {
    CommError err;
    const bool ok = port.setCommPort(PortNumberOf(portText), &err) &&
                    port.setSettings(speedText + QStringLiteral(",n,8,1"), &err);
    if (ok) return;
    if (err.number == 8005) {
        s.message(QStringLiteral("ポートが開いています\r\n受信ポートを閉じて設定してください！"),
                  Buttons::Ok, Icon::None, QStringLiteral("エラー"));
        return;
    }
    s.message(QStringLiteral("setCOM/予期しないエラー＃") +
                  (err.number < 0 ? QString() : QStringLiteral(" ")) + QString::number(err.number) +
                  QStringLiteral(" が発生しました！") + err.description,
              Buttons::Ok, Icon::None, QStringLiteral("ファイルエラー"));
}

}  // namespace fenmor
