// What an account's address decides: whether plain http needs the user's yes, and how many PUTs
// go at once (one to this computer, whose processor the server shares, four elsewhere).
#include "dav/dav_account.h"

#include <gtest/gtest.h>

namespace fenmor {
namespace {

TEST(DavAccount, ThisComputerGetsOnePutAtATimeAndNoPlainHttpQuestion) {
    const struct {
        const char* url;
        int parallel;  // as given; 0: not given
        int putsAtOnce;
        bool asks;
    } rows[] = {
        {"http://127.0.0.1:5232/", 0, 1, false},   {"http://[::1]:5232/", 0, 1, false},
        {"http://LocalHost:5232/", 0, 1, false},   {"http://dav.localhost/", 0, 1, false},
        {"https://127.0.0.2/", 0, 1, false},       {"https://dav.example.org/", 0, 4, false},
        {"http://192.168.1.20:5232/", 0, 4, true}, {"http://localhost.example.org/", 0, 4, true},
        {"https://dav.example.org/", 2, 2, false}, {"http://127.0.0.1:5232/", 6, 6, false},
    };
    for (const auto& row : rows) {
        DavAccount account;
        account.url = QUrl(QString::fromLatin1(row.url));
        account.parallel = row.parallel;
        EXPECT_EQ(PutsAtOnce(account), row.putsAtOnce) << row.url << " " << row.parallel;
        EXPECT_EQ(NeedsPlainHttpConfirmation(account.url), row.asks) << row.url;
    }
}

}  // namespace
}  // namespace fenmor
