// Change notices between stations, on the engine under test: what one station
// commits reaches the other (and only what was committed), a station's own
// commits reach its own windows in-process, and a server connection that
// breaks under an idle station is reported and then mended by itself.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "data/Database.h"
#include "platform/ChangeWatcher.h"
#include "platform/store/OfficeFiles.h"
#include "platform/store/PgEngine.h"
#include "support/TestStore.h"

extern char** environ;

namespace tko {
namespace {

using Clock = std::chrono::steady_clock;
// How long a notice may take to be read once the writer has committed: far
// more than it needs, so that a loaded machine does not fail the test.
constexpr auto kDeadline = std::chrono::seconds(2);

// Asks `engine` until `done(collected)` holds or the deadline passes.
template <class Done>
bool pollUntil(store::Engine& engine, store::ChangeNotice& collected, Done done,
               std::chrono::milliseconds deadline = kDeadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        store::ChangeNotice notice;
        const Status s = engine.takeChanges(notice);
        EXPECT_TRUE(s.ok()) << s.describe();
        collected.merge(notice);
        if (done(collected)) return true;
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool has(const store::ChangeNotice& n, const char* table) {
    return n.tables.count(table) > 0;
}

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "change_notice_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

class ChangeNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        source = test::freshSource(dir);
        a = test::openStation(source);
        b = test::openStation(source);
        ASSERT_TRUE(a && b);
        // The first look sets what each station has seen.
        store::ChangeNotice ignored;
        ASSERT_TRUE(a->engine().takeChanges(ignored).ok());
        ASSERT_TRUE(b->engine().takeChanges(ignored).ok());
    }
    Assignment assignment(std::int32_t number) {
        Assignment x;
        x.ASSIGNNUMBER = number;
        x.NAME = "task " + std::to_string(number);
        return x;
    }

    test::TempDir dir;
    DataSource source;
    std::unique_ptr<Database> a, b;
};

TEST_F(ChangeNoticeTest, CommittedTablesReachTheOtherStationAndRolledBackOnesDoNot) {
    // A rolled-back transaction first, then a committed one: once the second
    // has arrived, the first would have too.
    ASSERT_TRUE(a->begin({"PEOPLE"}, 2000).ok());
    Person p;
    p.PERSONNUMBER = 1;
    p.SHORTNAME = "GONE";
    ASSERT_TRUE(a->add(p).ok());
    ASSERT_TRUE(a->rollback().ok());

    ASSERT_TRUE(a->begin({"ASSIGNMENT", "REMINDER"}, 2000).ok());
    Assignment x = assignment(1);
    ASSERT_TRUE(a->add(x).ok());
    Reminder r;
    r.REMINDNUMBER = 1;
    ASSERT_TRUE(a->add(r).ok());
    ASSERT_TRUE(a->commit().ok());

    store::ChangeNotice seen;
    ASSERT_TRUE(pollUntil(b->engine(), seen, [](const store::ChangeNotice& n) {
        return has(n, "ASSIGNMENT") && has(n, "REMINDER");
    })) << "the committed tables never arrived";
    EXPECT_FALSE(has(seen, "PEOPLE"));
    EXPECT_FALSE(seen.everything);
    // The writer hears nothing of its own commit through the store.
    store::ChangeNotice own;
    ASSERT_TRUE(a->engine().takeChanges(own).ok());
    EXPECT_TRUE(own.empty());
    // And nothing arrives twice.
    store::ChangeNotice again;
    ASSERT_TRUE(b->engine().takeChanges(again).ok());
    EXPECT_TRUE(again.empty());
}

TEST_F(ChangeNoticeTest, ASavepointRolledBackInsideACommitLeavesItsTablesOut) {
    ASSERT_TRUE(a->begin({"ASSIGNMENT"}, 2000).ok());
    Assignment x = assignment(1);
    ASSERT_TRUE(a->add(x).ok());
    ASSERT_TRUE(a->begin({"PROJASSGN"}, 2000).ok());
    ProjAssign link;
    link.ASSIGNNUMBER = 1;
    ASSERT_TRUE(a->add(link).ok());
    ASSERT_TRUE(a->rollback().ok());
    ASSERT_TRUE(a->begin({"REMINDER"}, 2000).ok());
    Reminder r;
    r.REMINDNUMBER = 3;
    ASSERT_TRUE(a->add(r).ok());
    ASSERT_TRUE(a->commit().ok());  // the savepoint, kept
    ASSERT_TRUE(a->commit().ok());

    store::ChangeNotice seen;
    ASSERT_TRUE(pollUntil(b->engine(), seen, [](const store::ChangeNotice& n) {
        return has(n, "ASSIGNMENT") && has(n, "REMINDER");
    }));
    EXPECT_FALSE(has(seen, "PROJASSGN"));
}

TEST_F(ChangeNoticeTest, WritesOutsideATransactionAnnounceThemselvesFailedOnesDoNot) {
    Assignment x = assignment(1);
    ASSERT_TRUE(a->add(x).ok());
    store::ChangeNotice seen;
    ASSERT_TRUE(pollUntil(b->engine(), seen,
                          [](const store::ChangeNotice& n) { return has(n, "ASSIGNMENT"); }));

    // A change refused because the row moved on writes nothing, so it says nothing.
    Assignment stale = x;
    Assignment fresh = x;
    fresh.NAME = "changed at b";
    ASSERT_TRUE(b->change(fresh).ok());
    seen = {};
    ASSERT_TRUE(pollUntil(a->engine(), seen,
                          [](const store::ChangeNotice& n) { return has(n, "ASSIGNMENT"); }));
    stale.NAME = "changed at a";
    EXPECT_EQ(a->change(stale).code, store::kChangedByOther);
    Person p;
    p.PERSONNUMBER = 2;
    p.SHORTNAME = "MARK";
    ASSERT_TRUE(a->add(p).ok());
    seen = {};
    ASSERT_TRUE(pollUntil(b->engine(), seen,
                          [](const store::ChangeNotice& n) { return has(n, "PEOPLE"); }));
    EXPECT_FALSE(has(seen, "ASSIGNMENT")) << "the refused change was announced";
}

TEST_F(ChangeNoticeTest, AStationsOwnCommitDoesNotHideTheOtherStationsChangeOfTheSameTable) {
    // b changes ASSIGNMENT; before a looks, a commits to ASSIGNMENT itself.
    Assignment x = assignment(1);
    ASSERT_TRUE(b->add(x).ok());
    Assignment y = assignment(2);
    ASSERT_TRUE(a->add(y).ok());
    store::ChangeNotice seen;
    EXPECT_TRUE(pollUntil(a->engine(), seen, [](const store::ChangeNotice& n) {
        return has(n, "ASSIGNMENT");
    })) << "b's assignment was never announced to a";
}

TEST_F(ChangeNoticeTest, OwnCommitsReachTheStationsWindowsOnceAfterTheWriteReturns) {
    app();
    ChangeWatcher watcher(a->engine());
    std::vector<store::ChangeNotice> heard;
    QObject::connect(&watcher, &ChangeWatcher::changed,
                     [&](const store::ChangeNotice& n) { heard.push_back(n); });
    Assignment x = assignment(1);
    ASSERT_TRUE(a->add(x).ok());
    Reminder r;
    r.REMINDNUMBER = 4;
    ASSERT_TRUE(a->add(r).ok());
    // Not while the writing code still runs...
    EXPECT_TRUE(heard.empty());
    // ...but as one notice once it is back in the event loop.
    const auto end = Clock::now() + kDeadline;
    while (heard.empty() && Clock::now() < end) QCoreApplication::processEvents();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_TRUE(has(heard[0], "ASSIGNMENT"));
    EXPECT_TRUE(has(heard[0], "REMINDER"));

    // A rolled-back transaction tells the windows nothing either.
    ASSERT_TRUE(a->begin({"PEOPLE"}, 2000).ok());
    Person p;
    p.PERSONNUMBER = 3;
    p.SHORTNAME = "TEMP";
    ASSERT_TRUE(a->add(p).ok());
    ASSERT_TRUE(a->rollback().ok());
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(heard.size(), 1u);
}

TEST_F(ChangeNoticeTest, AChangeRightAfterAStationStartsWatchingIsNotLost) {
    app();
    auto c = test::openStation(source);  // has never asked for changes
    ASSERT_TRUE(c);
    ChangeWatcher watcher(c->engine());
    bool heard = false;
    QObject::connect(&watcher, &ChangeWatcher::changed, [&](const store::ChangeNotice& n) {
        heard = heard || n.touches("ASSIGNMENT");
    });
    watcher.start(60000);  // no tick during the test: only the explicit looks below
    Assignment x = assignment(1);
    ASSERT_TRUE(a->add(x).ok());
    const auto end = Clock::now() + kDeadline;
    while (!heard && Clock::now() < end) {
        watcher.checkNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(heard);
}

TEST_F(ChangeNoticeTest, AnotherStationsCommitIsHeardWithoutWaitingForTheNextLook) {
    // The server's notice or a write of the data file wakes the watcher; its
    // regular look (an hour apart here) has no part in it.
    app();
    auto c = test::openStation(source);
    ASSERT_TRUE(c);
    ChangeWatcher watcher(c->engine());
    int heard = 0;
    QObject::connect(&watcher, &ChangeWatcher::changed, [&](const store::ChangeNotice& n) {
        heard += n.touches("ASSIGNMENT") ? 1 : 0;
    });
    watcher.start(3600 * 1000);
    for (int n = 1; n <= 2; ++n) {
        const int before = heard;
        Assignment x = assignment(n);
        ASSERT_TRUE(a->add(x).ok());
        const auto end = Clock::now() + kDeadline;
        while (heard == before && Clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        EXPECT_GT(heard, before) << "commit " << n << " was not heard";
    }
}

TEST(ChangeLookTest, NetworkSharesAreLookedAtMoreOftenThanLocalDisks) {
    // f_type as statfs() gives it; on some systems a signed 32-bit value.
    const struct {
        long type;
        bool network;
    } cases[] = {
        {0x6969, true},                                                      // NFS
        {0xFF534D42L, true},                                                 // CIFS
        {static_cast<long>(static_cast<std::int32_t>(0xFE534D42U)), true},   // SMB2, sign-extended
        {0x65735546, true},                                                  // FUSE (sshfs)
        {0xEF53, false},                                                     // ext2/3/4
        {0x01021994, false},                                                 // tmpfs
        {0x58465342, false},                                                 // XFS
        {static_cast<long>(static_cast<std::int32_t>(0x9123683EU)), false},  // Btrfs
        {0x794C7630, false},                                                 // overlay
    };
    for (const auto& c : cases)
        EXPECT_EQ(store::isNetworkFileSystemType(c.type), c.network) << std::hex << c.type;

    // This machine's temporary folder is local: the once-a-second look, as
    // its writes all reach the file watch. The server has no file.
    EXPECT_EQ(ChangeWatcher::lookIntervalMs(::testing::TempDir()), ChangeWatcher::kIdleIntervalMs);
    EXPECT_EQ(ChangeWatcher::lookIntervalMs(""), ChangeWatcher::kIdleIntervalMs);
}

// ---- two station processes -----------------------------------------------------

std::string workerPath() {
    const char* bin = std::getenv("TKO_TEST_BIN");
    return std::string(bin ? bin : ".") + "/change_notice_worker";
}

TEST_F(ChangeNoticeTest, AnotherStationProcessIsHeardAndItsRollbackIsNot) {
    const std::string path = workerPath();
    const std::string server = source.serverInfo.empty() ? "-" : source.serverInfo;
    std::vector<char*> argv = {const_cast<char*>(path.c_str()),
                               const_cast<char*>(source.directory.c_str()),
                               const_cast<char*>(server.c_str()), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ), 0)
        << "cannot start " << path;
    int wstatus = 0;
    ASSERT_EQ(waitpid(pid, &wstatus, 0), pid);
    ASSERT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0) << "the worker failed";

    store::ChangeNotice seen;
    ASSERT_TRUE(pollUntil(b->engine(), seen, [](const store::ChangeNotice& n) {
        return has(n, "ASSIGNMENT") && has(n, "REMINDER");
    })) << "the other process's commits did not arrive";
    EXPECT_FALSE(has(seen, "PEOPLE")) << "a rolled-back transaction was announced";
    Assignment stored;
    EXPECT_TRUE(b->fetch("ASS:NUMBER_KEY", {std::int64_t{77}}, stored).ok());
}

// ---- a server connection that breaks ------------------------------------------

TEST_F(ChangeNoticeTest, AnIdleStationNoticesALostServerAndReconnectsByItself) {
    if (!test::usingServer()) GTEST_SKIP() << "a data directory has no connection to lose";
    app();
    auto* pg = dynamic_cast<store::PgEngine*>(&a->engine());
    ASSERT_NE(pg, nullptr);
    ChangeWatcher watcher(a->engine());
    bool lostSeen = false, restoredSeen = false, everything = false;
    QObject::connect(&watcher, &ChangeWatcher::connectionChanged,
                     [&](bool lost) { (lost ? lostSeen : restoredSeen) = true; });
    QObject::connect(&watcher, &ChangeWatcher::changed, [&](const store::ChangeNotice& n) {
        everything = everything || n.everything;
    });

    PGconn* admin = PQconnectdb(source.serverInfo.c_str());
    ASSERT_EQ(PQstatus(admin), CONNECTION_OK);
    PGresult* r = PQexec(
        admin,
        ("SELECT pg_terminate_backend(" + std::to_string(pg->backendPid()) + ", 5000)").c_str());
    EXPECT_EQ(PQresultStatus(r), PGRES_TUPLES_OK);
    PQclear(r);
    PQfinish(admin);

    // While the station is down, another one writes: it must not be missed.
    Assignment x = assignment(9);
    ASSERT_TRUE(b->add(x).ok());

    const auto end = Clock::now() + std::chrono::seconds(10);
    while (!(lostSeen && restoredSeen) && Clock::now() < end) {
        watcher.checkNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(lostSeen) << "the lost connection was not reported";
    EXPECT_TRUE(restoredSeen) << "the station did not connect again";
    EXPECT_TRUE(everything) << "the lists were not told to re-read after the gap";

    // The next save works, once.
    Assignment y = assignment(10);
    ASSERT_TRUE(a->add(y).ok());
    std::int64_t n = 0;
    ASSERT_TRUE(b->count<Assignment>(store::all(), n).ok());
    EXPECT_EQ(n, 2);
}

}  // namespace
}  // namespace tko
