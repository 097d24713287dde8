// The run-time failures the data path reports, with the number and the description the user
// reads in the message.
#pragma once

#include <QString>

namespace fenmor {

struct RunTimeError {
    int number;
    const char16_t* description;
    [[nodiscard]] QString text() const { return QString::fromUtf16(description); }
};

namespace errors {
inline constexpr RunTimeError kInvalidCall{5, u"プロシージャの呼び出し、または引数が不正です。"};
inline constexpr RunTimeError kOverflow{6, u"オーバーフローしました。"};
inline constexpr RunTimeError kTypeMismatch{13, u"型が一致しません。"};
}  // namespace errors

}  // namespace fenmor
