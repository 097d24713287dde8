#include "core/converter_check.h"

#include "core/sjis.h"

namespace fenmor {

QString ConverterProblem(const char* codePage) {
    if (sjis::ConverterWorks(codePage)) return {};
    return QStringLiteral(
               "このシステムの文字コード変換には Shift-JIS（コードページ "
               "932）の変換がありません。") +
           kCrLf +
           QStringLiteral("受信データの日本語を正しく変換・保存できないため、処理を中止します。") +
           kCrLf +
           QStringLiteral("glibc の文字コード変換モジュール（gconv の CP932）を確認して下さい。");
}

bool CheckConverter(MessageService& messages, const char* codePage) {
    const QString problem = ConverterProblem(codePage);
    if (problem.isEmpty()) return true;
    messages.show(problem, Buttons::Ok, Icon::Exclamation, {});
    return false;
}

}  // namespace fenmor
