// The kept state's decisions: what a sending does with each item, from what it kept of it (or
// found on the server) and the item's content now; kept across a save and a load.
#include "dav/dav_state.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <optional>

namespace fenmor {
namespace {

const QByteArray kEvent =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Fenmor//Fenmor//JA\r\nBEGIN:VEVENT\r\n"
    "UID:1@fenmor\r\nDTSTAMP:20240305T050709Z\r\nDTSTART:20240311T100000\r\n"
    "SUMMARY:定例ミーティング\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

QByteArray With(QByteArray body, const char* from, const char* to) {
    return body.replace(from, to);
}

struct Row {
    const char* what;
    std::optional<QByteArray> kept;  // the content kept (sent, or found on the server)
    bool found;                      // read from the server, never sent from here
    QByteArray now;
    SendStep step;
};

TEST(DavState, EachItemIsSentOnlyWhenItsContentChangedAndNeverOverAServerCopy) {
    const Row rows[] = {
        {"never sent", std::nullopt, false, kEvent, SendStep::PutNew},
        {"sent, same", kEvent, false, kEvent, SendStep::Skip},
        {"a new transfer time only", kEvent, false,
         With(kEvent, "DTSTAMP:20240305T050709Z", "DTSTAMP:20260101T000000Z"), SendStep::Skip},
        {"written back folded and in another order", kEvent, false,
         With(With(kEvent, "SUMMARY:定例ミーティング\r\n", ""), "UID:1@fenmor\r\n",
              "SUMMARY:定例ミー\r\n ティング\r\nUID:1@fenmor\r\n"),
         SendStep::Skip},
        {"edited on the PDA", kEvent, false, With(kEvent, "T100000", "T110000"),
         SendStep::PutChanged},
        {"found by REPORT, same", kEvent, true, kEvent, SendStep::Skip},
        {"found by REPORT, other content", kEvent, true, With(kEvent, "T100000", "T110000"),
         SendStep::Conflict},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        QTemporaryDir dir;
        const QString path = DefaultStatePath(dir.path());
        {
            DavState state;
            ASSERT_TRUE(state.load(path));
            if (r.kept)
                state.collection("https://h", "https://h/cal/")
                    .items.insert("1@fenmor", {"https://h/cal/1.ics", "\"e1\"",
                                               ContentHash(*r.kept), ItemKind::Event, r.found});
            ASSERT_TRUE(state.save());
        }
        DavState state;  // what the next sending reads
        ASSERT_TRUE(state.load(path));
        const auto& items = state.collection("https://h", "https://h/cal/").items;
        const auto found = items.constFind("1@fenmor");
        const DavRecord* kept = found == items.cend() ? nullptr : &*found;
        EXPECT_EQ(StepFor(kept, ContentHash(r.now)), r.step);
        if (kept) {
            EXPECT_EQ(kept->etag, "\"e1\"");
        }
    }
}

TEST(DavState, AServerCopyOfANewItemIsRecordedOnlyWhenItIsTheSameContent) {
    const struct {
        QByteArray server;
        Settled settled;
    } rows[] = {
        {kEvent, Settled::RecordAsSent},
        {With(kEvent, "DTSTAMP:20240305T050709Z", "DTSTAMP:20240306T000000Z"),
         Settled::RecordAsSent},
        {With(kEvent, "SUMMARY:", "SUMMARY:edited "), Settled::Conflict},
    };
    for (const auto& r : rows)
        EXPECT_EQ(SettleExisting(ContentHash(kEvent), ContentHash(r.server)), r.settled)
            << r.server.constData();
}

TEST(DavState, ADamagedFileIsSaidAndStartsAfresh) {
    QTemporaryDir dir;
    const QString path = DefaultStatePath(dir.path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"servers\": ");
    f.close();
    DavState state;
    QString error;
    EXPECT_FALSE(state.load(path, &error));
    EXPECT_TRUE(error.contains(path));
    EXPECT_TRUE(state.collection("https://h", "https://h/cal/").items.isEmpty());
}

}  // namespace
}  // namespace fenmor
