#include "serial/receive_port.h"

#include <QTimer>
#include <utility>

#include "core/received_buffer.h"
#include "journal/journal_files.h"

namespace fenmor {

QString StatusTextOf(int code) {
    switch (code) {
        case 3:
            return QStringLiteral("CTS lineの状態が変化しました。（正常）");
        case 4:
            return QStringLiteral("DSR lineの状態が変化しました。（正常）");
        case 5:
            return QStringLiteral("CD lineの状態が変化しました。（正常）");
        case 6:
            return QStringLiteral("呼び出し信号を検出しました。");
        case 7:
            return QStringLiteral("EOF を受信しました。");
        default:
            return {};
    }
}

QString ErrorTextOf(int code) {
    switch (code) {
        case 1001:
            return QStringLiteral("Break信号を検出しました。");
        case 1002:
            return QStringLiteral("CTS Timeoutを検出しました。");
        case 1003:
            return QStringLiteral("DSR Timeoutを検出しました。");
        case 1004:
            return QStringLiteral("フレーミングエラーが発生しました。");
        case 1006:
            return QStringLiteral("オーバーランエラーが発生しました。");
        case 1007:
            return QStringLiteral("CD Timeoutを検出しました。");
        case 1008:
            return QStringLiteral("受信バッファがオーバーフローしました。");
        case 1009:
            return QStringLiteral("パリティーエラーが発生しました。");
        case 1010:
            return QStringLiteral("送信バッファフル エラーが発生しました。");
        case 1011:
            return QStringLiteral("DCB 取得時にエラーが発生しました。");
        default:
            return QStringLiteral("未定義のエラーまたはイベントが発生しました。");
    }
}

namespace {

constexpr qsizetype kHeldBlock = 512;  // held bytes join the buffer as receive events this size

// What the window shows of a closed port: the button and bar, the label, the normal pointer.
void ShowClosed(SerialLink& l) {
    l.view.showPortState(false);
    l.s.laB.setText(QStringLiteral("受信ポートを閉じました。"), false);
    l.view.setBusy(false);
}

}  // namespace

void TogglePort(SerialLink& l) {
    Session& s = l.s;
    if (l.port.portOpen()) {
        ShowClosed(l);
        if (s.nFR2) s.nFR2.reset();  // every open file is closed
        CommError err;
        l.port.setPortOpen(false, &err);
        return;
    }
    StartReceiving(s);
    CommError err;
    if (!l.port.setPortOpen(true, &err)) {
        // The window stays in its closed state and says why.
        s.message(err.description, Buttons::Ok, Icon::Exclamation);
        ShowClosed(l);
        return;
    }
    l.view.showPortState(true);
    s.laB.setText(QStringLiteral("送信を開始して下さい！"), false);
}

void OnCommEvent(SerialLink& l) {
    Session& s = l.s;
    s.laB.setText(QStringLiteral("受信開始！"), false);
    l.view.setBusy(true);
    l.view.showDataPage();
    if (s.nDD == 0) s.nDD = 1;
    const int code = l.port.commEvent();
    QString status, error;
    if (code == 2) {
        const QByteArray bytes = l.port.input();
        if (l.journal) l.journal->received(bytes);
        if (l.holds > 0) {
            l.held += bytes;
            s.laB.setText(QStringLiteral("受信中！"), true);
            return;
        }
        if (!AppendReceivedData(s, bytes)) return;  // the program ends
        ShowReceiving(l);
    } else if (code != 1) {
        status = StatusTextOf(code);
        if (status.isEmpty()) error = ErrorTextOf(code);
    }
    if (!status.isEmpty()) {
        s.laB.setText(QStringLiteral("Status:") + status, false);
        l.Timer2.start();
    } else if (!error.isEmpty()) {
        s.laB.setText(QStringLiteral("Error:") + error, false);
        l.view.beep();
        const short answer = s.message(
            error, Buttons::OkCancel, Icon::None,
            QStringLiteral("中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。"));
        if (answer == kCancel && l.port.portOpen()) {
            CommError err;
            l.port.setPortOpen(false, &err);
            l.view.showPortState(false);
        }
        l.Timer2.start();
    }
    // Nothing more will arrive and no transfer waits for its end: not busy any longer (a
    // vanished device, Cancel in the line-error box).
    if (!l.port.portOpen() && !l.Timer1.isActive()) l.view.setBusy(false);
}

void ShowReceiving(SerialLink& l) {
    l.s.laB.setText(QStringLiteral("受信中！"), true);
    l.Timer1.start();  // restarts the full period when running
}

void HoldReceived(SerialLink& l) { ++l.holds; }

void ReleaseHeld(SerialLink& l) {
    if (l.holds == 0 || --l.holds > 0 || l.held.isEmpty()) return;
    const QByteArray held = std::exchange(l.held, QByteArray());
    for (qsizetype at = 0; at < held.size(); at += kHeldBlock)
        if (!AppendReceivedData(l.s, held.mid(at, kHeldBlock))) return;  // the program ends
    ShowReceiving(l);  // its second of silence starts now
}

void EndOfTransferTick(SerialLink& l) {
    // Bytes read from the line whose receive event is still queued: the line was not silent.
    // Their event restarts the timer.
    if (l.port.bytesWaiting() > 0 || l.holds > 0) return;
    Session& s = l.s;
    s.laB.setText(QStringLiteral("終了確認"), false);
    l.Timer1.stop();
    // What arrives from here on is the next transfer: a journal file of its own, and held.
    const QString journalPath = l.journal ? l.journal->transferEnded() : QString();
    HoldReceived(l);
    FinishTransfer(s);
    const RunFailures run = s.failures;
    if (run.nothingReadable()) {
        s.message(
            NothingReadableText(
                run.bytes(), l.port.settings().section(u',', 0, 0),
                journalPath.isEmpty() ? QString() : WithState(journalPath, JournalState::Kept)),
            Buttons::Ok, Icon::Exclamation, QStringLiteral("受信データ"));
        if (l.journal) l.journal->keepUnconverted(journalPath);
    } else if (l.journal) {
        if (run.allWritten())
            l.journal->converted(journalPath, run.writtenFiles());
        else
            l.journal->leaveUnconverted(journalPath);
    }
    ReleaseHeld(l);
    l.view.setBusy(l.Timer1.isActive());
    if (!l.port.portOpen()) return;
    s.zMS = QStringLiteral("通信が終わったもようです。") + kCrLf +
            QStringLiteral("（ファイルを確認してください）");
    if (!run.allWritten())
        s.zMS += kCrLf + QStringLiteral("書き込めなかったファイルがあります。") +
                 (journalPath.isEmpty()
                      ? QStringLiteral("（受信ジャーナルは使っていません）")
                      : QStringLiteral("受信したデータは変換せずに残しました：") + journalPath);
    if (s.opt.ticked(Option::ckSF0)) s.zMS += kCrLf + s.zFME;
    if (s.opt.ticked(Option::ckSF1)) s.zMS += kCrLf + s.zBME;
    s.zMS += kCrLf + QStringLiteral("受信ポートを閉じますか？");
    if (s.message(s.zMS, Buttons::YesNo, Icon::None, QStringLiteral("通信終了？")) == kYes)
        TogglePort(l);
}

void StatusTick(SerialLink& l) { l.Timer2.stop(); }

void PortLost(SerialLink& l) {
    l.view.showPortState(false);
    l.s.laB.setText(QStringLiteral("受信ポートを閉じました。"), false);
}

}  // namespace fenmor
