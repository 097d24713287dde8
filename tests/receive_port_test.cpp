#include "serial/receive_port.h"

#include <gtest/gtest.h>

#include "serial/port_settings.h"

namespace fenmor {
namespace {

TEST(CommEventTexts, StatusForLineChangesErrorForTheRest) {
    struct Row {
        int code;
        const char* status;
        const char* error;
    } rows[] = {
        {1, "", "未定義のエラーまたはイベントが発生しました。"},  // the handler itself skips code 1
        {3, "CTS lineの状態が変化しました。（正常）", ""},
        {4, "DSR lineの状態が変化しました。（正常）", ""},
        {5, "CD lineの状態が変化しました。（正常）", ""},
        {6, "呼び出し信号を検出しました。", ""},
        {7, "EOF を受信しました。", ""},
        {1001, "", "Break信号を検出しました。"},
        {1004, "", "フレーミングエラーが発生しました。"},
        {1005, "", "未定義のエラーまたはイベントが発生しました。"},
        {1009, "", "パリティーエラーが発生しました。"},
        {1011, "", "DCB 取得時にエラーが発生しました。"},
        {1012, "", "未定義のエラーまたはイベントが発生しました。"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(StatusTextOf(r.code), QString::fromUtf8(r.status)) << r.code;
        if (*r.error) {
            EXPECT_EQ(ErrorTextOf(r.code), QString::fromUtf8(r.error)) << r.code;
        }
    }
}

TEST(PortNumberOf, TakesTheDigitsAtTheEnd) {
    EXPECT_EQ(PortNumberOf(QStringLiteral("COM12")), 12);
    EXPECT_EQ(PortNumberOf(QStringLiteral("COM1")), 1);
    EXPECT_EQ(PortNumberOf(QStringLiteral("com1")), 1);
    EXPECT_EQ(PortNumberOf(QStringLiteral("COM")), 0);
}

}  // namespace
}  // namespace fenmor
