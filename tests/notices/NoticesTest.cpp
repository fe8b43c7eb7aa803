// Notices by mail, against a real SMTP server (tests/support/smtp_sink.py,
// aiosmtpd) on a local port: who is told of what, the texts in the
// recipient's language without confidential comments, exactly one message
// per notice across stations and a station's crash, retries with back-off
// shown to administrators, and the daily digest.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <sstream>
#include <thread>

#include "assign/AssignmentRules.h"
#include "assign/NoticeRules.h"
#include "cli/NoticeCommands.h"
#include "cli/ScriptCommands.h"
#include "cli/UserCommand.h"
#include "data/Notices.h"
#include "data/Password.h"
#include "notices/DesktopNotices.h"
#include "notices/OutboxSender.h"
#include "support/TestStore.h"

extern char** environ;

namespace tko {
namespace {

constexpr Date kToday = 82000;
constexpr Time kNine = 9 * kTicksPerHour;

// A free port on the loopback interface.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return 0;
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

// The SMTP server of a test: started on `port`, stopped when destroyed.
class SmtpSink {
public:
    SmtpSink(int port, const std::string& folder) : m_folder(folder) {
        QDir().mkpath(QString::fromStdString(folder));
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
        posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
        const std::string portText = std::to_string(port);
        const char* argv[] = {"/usr/bin/python3", TKO_SMTP_SINK, portText.c_str(), folder.c_str(),
                              nullptr};
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[0]);
        m_stdin = pipeFds[1];
        const QString ready = QString::fromStdString(folder + "/ready");
        for (int i = 0; i < 200 && m_pid && !QFile::exists(ready); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        m_ready = QFile::exists(ready);
    }
    ~SmtpSink() {
        if (m_stdin >= 0) ::close(m_stdin);
        if (m_pid) ::waitpid(m_pid, nullptr, 0);
    }
    bool ready() const { return m_ready; }
    // Every message received, in order.
    std::vector<QJsonObject> messages() const {
        std::vector<QJsonObject> out;
        for (int n = 1;; ++n) {
            QFile file(QString::fromStdString(m_folder + "/" + std::to_string(n) + ".json"));
            if (!file.open(QIODevice::ReadOnly)) return out;
            out.push_back(QJsonDocument::fromJson(file.readAll()).object());
        }
    }
    std::string raw(int n) const {
        QFile file(QString::fromStdString(m_folder + "/" + std::to_string(n) + ".eml"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

private:
    std::string m_folder;
    pid_t m_pid = 0;
    int m_stdin = -1;
    bool m_ready = false;
};

std::string field(const QJsonObject& message, const char* name) {
    return message.value(QLatin1String(name)).toString().toStdString();
}
std::string recipient(const QJsonObject& message) {
    return message.value(QStringLiteral("rcpt_tos"))
        .toVariant()
        .toStringList()
        .join(u',')
        .toStdString();
}

Assignment work(int number, const std::string& by, const std::string& to, Date due) {
    Assignment a;
    a.ASSIGNNUMBER = number;
    a.NAME = "Task " + std::to_string(number);
    a.USERNAME = by;
    a.PERSON = to;
    a.DUEDATE = due;
    a.PRIORITY = 3;
    a.REPEATTYPE = "No Repeats";
    return a;
}

// Who is told of what: one row per case.
TEST(NoticeRules, WhoIsToldOfWhat) {
    const Assignment given = work(1, "SUPERVISOR", "BEN", kToday);
    Assignment moved = given;
    moved.DUEDATE = kToday + 3;
    Assignment toAnna = given;
    toAnna.PERSON = "ANNA";
    Assignment secret = given;
    secret.CONFMEMO = "salary";
    secret.SEEN = 1;
    secret.LOG = "Changed";
    const struct {
        const char* what;
        const Assignment* before;
        Assignment after;
        const char* actor;
        AssignmentEvent event;
        std::vector<NoticeDue> expected;
    } cases[] = {
        {"new work for another",
         nullptr,
         given,
         "SUPERVISOR",
         AssignmentEvent::Stored,
         {{"BEN", NoticeKind::NewWork}}},
        {"new work for oneself", nullptr, given, "BEN", AssignmentEvent::Stored, {}},
        {"names compare exactly",
         nullptr,
         given,
         "ben",
         AssignmentEvent::Stored,
         {{"BEN", NoticeKind::NewWork}}},
        {"given to someone else",
         &given,
         toAnna,
         "SUPERVISOR",
         AssignmentEvent::Stored,
         {{"ANNA", NoticeKind::NewWork}}},
        {"due date moved by the giver",
         &given,
         moved,
         "SUPERVISOR",
         AssignmentEvent::Stored,
         {{"BEN", NoticeKind::Changed}}},
        {"changed by the assignee himself", &given, moved, "BEN", AssignmentEvent::Stored, {}},
        {"confidential comments, seen flag, log",
         &given,
         secret,
         "SUPERVISOR",
         AssignmentEvent::Stored,
         {}},
        {"concluded by the assignee",
         &given,
         given,
         "BEN",
         AssignmentEvent::Concluded,
         {{"SUPERVISOR", NoticeKind::Concluded}}},
        {"concluded by the giver", &given, given, "SUPERVISOR", AssignmentEvent::Concluded, {}},
        {"nobody to tell",
         nullptr,
         work(2, "SUPERVISOR", "", kToday),
         "SUPERVISOR",
         AssignmentEvent::Stored,
         {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(noticesFor(c.before, c.after, c.actor, c.event), c.expected) << c.what;
}

class NoticesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setPasswordCost(PasswordCost::Minimal); }

    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        Clock::setFixed(kToday, kNine);
        SystemPref settings;
        ASSERT_TRUE(m_db->add(settings).ok());
        addUser("SUPERVISOR", 2, 1, "super@office.example");
        addUser("BEN", 0, 2, "ben@office.example");
        addUser("ANNA", 0, 3, "anna@office.example");
        addUser("CARL", 0, 4, "carl@office.example");
        m_port = freePort();
        ASSERT_NE(m_port, 0);
        ASSERT_EQ(run({"settings", "--user", "SUPERVISOR", "--smtp",
                       "127.0.0.1:" + std::to_string(m_port), "--from", "office@office.example"},
                      "SUPERVISOR")
                      .code,
                  0);
    }
    void TearDown() override {
        Clock::useSystem();
        unsetenv("TASKORBIT_PASSWORD");
    }

    void addUser(const std::string& name, int access, int person, const std::string& email) {
        User u;
        u.USERNAME = name;
        u.PASSWORD = hashPassword(password(name));
        u.ACCESSLEVEL = static_cast<std::uint8_t>(access);
        ASSERT_TRUE(m_db->add(u).ok());
        Person p = test::addPerson(*m_db, person, name, "User", name);
        p.EMAIL = email;
        ASSERT_TRUE(m_db->change(p).ok());
    }
    static std::string password(const std::string& user) { return user + "-pw-1"; }

    struct Result {
        int code = -1;
        std::string out, err;
    };
    Result run(std::vector<std::string> words, const std::string& user) {
        setenv("TASKORBIT_PASSWORD", password(user).c_str(), 1);
        words.insert(words.begin() + 1, m_source.directory);
        std::istringstream in;
        std::ostringstream out, err;
        Result r;
        r.code = cli::runScriptCommand(words, m_source.serverInfo, QStringLiteral(TKO_LANG_BIN), in,
                                       out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }
    Result send() { return run({"mail", "--user", "SUPERVISOR", "--send"}, "SUPERVISOR"); }

    std::vector<Outbox> outbox() {
        std::vector<Outbox> rows;
        EXPECT_TRUE(m_db->readAll("", store::all(), rows).ok());
        return rows;
    }
    std::string sinkFolder(const char* name) { return m_dir.file(name); }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
    int m_port = 0;
};

// BEN (German) and ANNA are given work and get one mail each, in their
// languages, with name, due date, priority, giver and general comments but
// never the confidential comments; CARL, who wants none, gets none; the
// giver hears of BEN's conclusion; sending again sends nothing.
TEST_F(NoticesTest, NewWorkArrivesOnceInTheRecipientsLanguage) {
    SmtpSink sink(m_port, sinkFolder("sink"));
    ASSERT_TRUE(sink.ready());
    ASSERT_EQ(run({"prefs", "--user", "BEN", "--language", "de"}, "BEN").code, 0);
    ASSERT_EQ(run({"prefs", "--user", "CARL", "--notify-new", "no"}, "CARL").code, 0);
    for (const char* to : {"BEN", "ANNA", "CARL"})
        ASSERT_EQ(run({"add", "--user", "SUPERVISOR", "--person", to, "--name",
                       std::string("Ledger for ") + to, "--due", "2025-07-01", "--priority", "2",
                       "--comments", "Use the blue folder"},
                      "SUPERVISOR")
                      .code,
                  0);
    // The form's save of a change: BEN's due date moves (he wants no
    // changes by mail) and a confidential comment is added.
    Assignment before;
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, before).ok());
    Assignment after = before;
    after.CONFMEMO = "Salary of the clerk: 4711";
    after.DUEDATE += 1;
    ASSERT_TRUE(storeAssignment(*m_db, after, before, "SUPERVISOR").ok());

    Result sent = send();
    ASSERT_EQ(sent.code, 0) << sent.err;
    std::vector<QJsonObject> mail = sink.messages();
    ASSERT_EQ(mail.size(), 2u);
    EXPECT_EQ(recipient(mail[0]), "ben@office.example");
    EXPECT_EQ(field(mail[0], "subject"), "Neuer Auftrag: Ledger for BEN");
    EXPECT_NE(field(mail[0], "text").find("SUPERVISOR hat Ihnen einen neuen Auftrag gegeben."),
              std::string::npos);
    // As the assignment stands when the mail goes: the due date moved since.
    EXPECT_NE(field(mail[0], "text").find("Fällig am: 2025-07-02"), std::string::npos);
    EXPECT_NE(field(mail[0], "html").find("Priorität des Auftrags"), std::string::npos);
    EXPECT_EQ(field(mail[0], "content_type"), "multipart/alternative");
    EXPECT_EQ(field(mail[0], "mail_from"), "office@office.example");
    EXPECT_EQ(recipient(mail[1]), "anna@office.example");
    EXPECT_EQ(field(mail[1], "subject"), "New assignment: Ledger for ANNA");
    for (const char* expected : {"Assignment priority: 2", "Given by: SUPERVISOR",
                                 "General comments:\nUse the blue folder"})
        EXPECT_NE(field(mail[1], "text").find(expected), std::string::npos) << expected;
    EXPECT_EQ(send().code, 0);
    EXPECT_EQ(sink.messages().size(), 2u);

    ASSERT_EQ(run({"prefs", "--user", "BEN", "--notify-changed", "yes"}, "BEN").code, 0);
    before = after;
    ASSERT_TRUE(m_db->reread(before).ok());
    after = before;
    after.PRIORITY = 1;
    ASSERT_TRUE(storeAssignment(*m_db, after, before, "SUPERVISOR").ok());
    ASSERT_EQ(run({"conclude", "--user", "SUPERVISOR", "2"}, "SUPERVISOR").code, 0);
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{3}}, before).ok());
    after = before;
    after.ASSIGNEECONCLUDE = 1;
    ASSERT_TRUE(storeAssignment(*m_db, after, before, "SUPERVISOR").ok());
    ASSERT_EQ(run({"conclude", "--user", "CARL", "3"}, "CARL").code, 0);
    EXPECT_EQ(send().code, 0);
    mail = sink.messages();
    ASSERT_EQ(mail.size(), 4u);
    EXPECT_EQ(field(mail[2], "subject"), "Auftrag geändert: Ledger for BEN");
    EXPECT_EQ(recipient(mail[3]), "super@office.example");
    EXPECT_EQ(field(mail[3], "subject"), "Assignment concluded: Ledger for CARL");
    EXPECT_NE(field(mail[3], "text").find("CARL concluded an assignment you gave."),
              std::string::npos);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(sink.raw(n).find("4711"), std::string::npos);
        EXPECT_EQ(field(mail[n - 1], "text").find("4711"), std::string::npos);
        EXPECT_EQ(field(mail[n - 1], "html").find("4711"), std::string::npos);
    }
}

// Two stations send the same outbox; one of them stops between claiming a
// message and sending it. Every message still goes out exactly once.
TEST_F(NoticesTest, TwoStationsAndACrashSendEachMessageOnce) {
    SmtpSink sink(m_port, sinkFolder("sink"));
    ASSERT_TRUE(sink.ready());
    for (const char* to : {"BEN", "ANNA"})
        ASSERT_EQ(run({"add", "--user", "SUPERVISOR", "--person", to, "--name", "Count stock"},
                      "SUPERVISOR")
                      .code,
                  0);
    auto other = test::openStation(m_source);
    ASSERT_TRUE(other);
    Outbox crashed;
    bool got = false;
    ASSERT_TRUE(claimNextNotice(*other, "crashing station", crashed, got).ok());
    ASSERT_TRUE(got);
    // The crashed station's claim holds: the other message goes, this one waits.
    SendReport report;
    ASSERT_TRUE(sendDueNotices(*m_db, QStringLiteral(TKO_LANG_BIN), "station A", report).ok());
    EXPECT_EQ(report.sent, 1);
    ASSERT_TRUE(sendDueNotices(*other, QStringLiteral(TKO_LANG_BIN), "station B", report).ok());
    EXPECT_EQ(report.sent, 0);
    // Once its claim has ended, the next station takes it over.
    Clock::setFixed(kToday, kNine + (kClaimMinutes + 1) * kTicksPerMinute);
    ASSERT_TRUE(sendDueNotices(*other, QStringLiteral(TKO_LANG_BIN), "station B", report).ok());
    EXPECT_EQ(report.sent, 1);
    ASSERT_TRUE(sendDueNotices(*m_db, QStringLiteral(TKO_LANG_BIN), "station A", report).ok());
    EXPECT_EQ(report.sent, 0);
    // The crashed station coming back cannot mark what is no longer its own.
    crashed.STATE = static_cast<std::uint8_t>(OutboxState::Queued);
    EXPECT_EQ(other->change(crashed).code, store::kChangedByOther);
    const std::vector<QJsonObject> mail = sink.messages();
    ASSERT_EQ(mail.size(), 2u);
    EXPECT_NE(recipient(mail[0]), recipient(mail[1]));
    for (const Outbox& row : outbox()) EXPECT_EQ(row.STATE, int(OutboxState::Sent));
}

// A server that refuses: the message waits 1, 2, 4 ... minutes between tries,
// administrators see it with its error, and once the server is back it goes
// out once. After the last try it is given up.
TEST_F(NoticesTest, ARefusedServerRetriesWithBackOffAndIsShownToAdministrators) {
    ASSERT_EQ(
        run({"add", "--user", "SUPERVISOR", "--person", "BEN", "--name", "Post"}, "SUPERVISOR")
            .code,
        0);
    Result sent = send();
    EXPECT_EQ(sent.code, 1);
    EXPECT_NE(sent.err.find("BEN"), std::string::npos);
    std::vector<Outbox> rows = outbox();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].TRIES, 1);
    EXPECT_EQ(rows[0].STATE, int(OutboxState::Queued));
    EXPECT_EQ(rows[0].NEXTTIME, kNine + kTicksPerMinute);
    EXPECT_FALSE(store::rtrim(rows[0].LASTERROR).empty());
    // Shown to administrators only.
    Result listed = run({"mail", "--user", "SUPERVISOR"}, "SUPERVISOR");
    EXPECT_NE(listed.out.find("Not sent: BEN"), std::string::npos) << listed.out;
    EXPECT_EQ(run({"mail", "--user", "BEN"}, "BEN").code, 77);
    // Not tried again before its time.
    EXPECT_EQ(send().code, 0);
    EXPECT_EQ(outbox()[0].TRIES, 1);
    {
        Clock::setFixed(kToday, kNine + kTicksPerMinute);
        SmtpSink sink(m_port, sinkFolder("sink"));
        ASSERT_TRUE(sink.ready());
        EXPECT_EQ(send().code, 0);
        EXPECT_EQ(send().code, 0);
        EXPECT_EQ(sink.messages().size(), 1u);
        EXPECT_EQ(outbox()[0].STATE, int(OutboxState::Sent));
    }
    // Another message against a server that stays away: given up after the
    // last try, the waits growing up to an hour.
    ASSERT_EQ(
        run({"add", "--user", "SUPERVISOR", "--person", "ANNA", "--name", "File"}, "SUPERVISOR")
            .code,
        0);
    Date day = kToday;
    Time time = kNine + kTicksPerMinute;
    for (int tries = 1; tries <= kMostTries; ++tries) {
        Clock::setFixed(day, time);
        EXPECT_EQ(send().code, 1);
        addMinutes(day, time, retryMinutes(tries));
    }
    rows = outbox();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].STATE, int(OutboxState::GivenUp));
    EXPECT_EQ(rows[1].TRIES, kMostTries);
    EXPECT_NE(run({"mail", "--user", "SUPERVISOR"}, "SUPERVISOR").out.find("given up"),
              std::string::npos);
    EXPECT_EQ(retryMinutes(3), 4);
    EXPECT_EQ(retryMinutes(30), 60);
}

// The digest lists the open work given to the user (exactly him) due by the
// day, once a day whoever asks.
TEST_F(NoticesTest, TheDigestListsExactlyTheUsersDueWork) {
    SmtpSink sink(m_port, sinkFolder("sink"));
    ASSERT_TRUE(sink.ready());
    ASSERT_EQ(
        run({"prefs", "--user", "BEN", "--notify-digest", "yes", "--notify-new", "no"}, "BEN").code,
        0);
    Assignment closed = work(4, "SUPERVISOR", "BEN", kToday - 1);
    closed.CLOSEDATE = kToday - 1;
    for (Assignment a :
         {work(1, "SUPERVISOR", "BEN", kToday - 3), work(2, "ANNA", "BEN", kToday),
          work(3, "SUPERVISOR", "BEN", kToday + 1), closed, work(5, "SUPERVISOR", "ANNA", kToday),
          work(6, "SUPERVISOR", "ben", kToday)})
        ASSERT_TRUE(m_db->add(a).ok());
    Result r = run({"mail", "--user", "SUPERVISOR", "--digest", "--send"}, "SUPERVISOR");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Queued 1 daily digests."), std::string::npos);
    EXPECT_EQ(run({"mail", "--user", "SUPERVISOR", "--digest", "--send"}, "SUPERVISOR").code, 0);
    std::vector<QJsonObject> mail = sink.messages();
    ASSERT_EQ(mail.size(), 1u);
    EXPECT_EQ(recipient(mail[0]), "ben@office.example");
    const std::string text = field(mail[0], "text");
    for (const char* listed : {"Task 1", "Task 2"})
        EXPECT_NE(text.find(listed), std::string::npos) << listed;
    for (const char* left : {"Task 3", "Task 4", "Task 5", "Task 6"})
        EXPECT_EQ(text.find(left), std::string::npos) << left;
    Clock::setFixed(kToday + 1, kNine);
    EXPECT_EQ(run({"mail", "--user", "SUPERVISOR", "--digest", "--send"}, "SUPERVISOR").code, 0);
    mail = sink.messages();
    ASSERT_EQ(mail.size(), 2u);
    EXPECT_NE(field(mail[1], "text").find("Task 3"), std::string::npos);
}

// The desktop's notices: the user's own work and alarmed reminders falling
// due today, each once per day; the administrators hear of unsent mail.
TEST_F(NoticesTest, TheDesktopTellsTodaysWorkOnce) {
    Assignment closed = work(4, "SUPERVISOR", "BEN", kToday);
    closed.CLOSEDATE = kToday;
    for (Assignment a :
         {work(1, "SUPERVISOR", "BEN", kToday), work(2, "SUPERVISOR", "BEN", kToday - 1),
          work(3, "SUPERVISOR", "BEN", kToday + 1), closed, work(5, "SUPERVISOR", "ben", kToday),
          work(6, "BEN", "ANNA", kToday)})
        ASSERT_TRUE(m_db->add(a).ok());
    Reminder r;
    r.DATE = kToday;
    r.USER = "BEN";
    r.NOTE = "Call the bank";
    r.ALARMFLAG = 1;
    r.REMINDNUMBER = 1;
    ASSERT_TRUE(m_db->add(r).ok());
    r.NOTE = "Quiet";
    r.ALARMFLAG = 0;
    r.REMINDNUMBER = 2;
    ASSERT_TRUE(m_db->add(r).ok());
    Session ben;
    ben.GlobalUser = "BEN";
    DueAnnouncer announcer;
    std::vector<DueNotice> fresh;
    int troubled = 0;
    ASSERT_TRUE(announcer.poll(*m_db, ben, kToday, fresh, troubled).ok());
    ASSERT_EQ(fresh.size(), 2u);
    EXPECT_EQ(fresh[0].kind, DueNotice::Assignment);
    EXPECT_EQ(fresh[0].number, 1);
    EXPECT_EQ(fresh[1].kind, DueNotice::Reminder);
    EXPECT_EQ(fresh[1].text, "Call the bank");
    EXPECT_EQ(troubled, -1);
    ASSERT_TRUE(announcer.poll(*m_db, ben, kToday, fresh, troubled).ok());
    EXPECT_TRUE(fresh.empty());
    ASSERT_TRUE(announcer.poll(*m_db, ben, kToday + 1, fresh, troubled).ok());
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0].number, 3);

    ASSERT_EQ(
        run({"add", "--user", "SUPERVISOR", "--person", "ANNA", "--name", "Post"}, "SUPERVISOR")
            .code,
        0);
    EXPECT_EQ(send().code, 1);  // no server listens
    Session supervisor;
    supervisor.GlobalUser = "SUPERVISOR";
    supervisor.GlobalUserAccess = 2;
    DueAnnouncer forAdmin;
    ASSERT_TRUE(forAdmin.poll(*m_db, supervisor, kToday, fresh, troubled).ok());
    EXPECT_EQ(troubled, 1);
    ASSERT_TRUE(forAdmin.poll(*m_db, supervisor, kToday, fresh, troubled).ok());
    EXPECT_EQ(troubled, -1);  // told already
}

// A user's choice of notices and the notices for him follow his rename and
// go with him when he is deleted.
TEST_F(NoticesTest, NoticesFollowTheirUsersRenameAndDeletion) {
    ASSERT_EQ(run({"prefs", "--user", "BEN", "--language", "de"}, "BEN").code, 0);
    ASSERT_EQ(
        run({"add", "--user", "SUPERVISOR", "--person", "BEN", "--name", "Post"}, "SUPERVISOR")
            .code,
        0);
    auto user = [&](std::vector<std::string> words) {
        words.insert(words.begin() + 1, m_source.directory);
        setenv("TASKORBIT_PASSWORD", password("SUPERVISOR").c_str(), 1);
        std::ostringstream out, err;
        return runUserCommand(
            *m_db, words, [](const std::string&, std::string&) { return false; }, out, err);
    };
    ASSERT_EQ(user({"rename", "BEN", "BENNY", "--user", "SUPERVISOR"}), 0);
    NoticePref pref;
    ASSERT_TRUE(readNoticePref(*m_db, "BENNY", pref).ok());
    EXPECT_EQ(store::rtrim(pref.LANGUAGE), "de");
    ASSERT_EQ(outbox().size(), 1u);
    EXPECT_EQ(store::rtrim(outbox()[0].RECIPIENT), "BENNY");
    ASSERT_EQ(user({"delete", "BENNY", "--user", "SUPERVISOR"}), 0);
    EXPECT_TRUE(outbox().empty());
    ASSERT_TRUE(readNoticePref(*m_db, "BENNY", pref).ok());
    EXPECT_EQ(pref.rowPos, 0);
}

// Mail settings and choices: bad input is refused with nothing written, the
// password is stored sealed and never shown, and only administrators set
// the server.
TEST_F(NoticesTest, SettingsRefuseBadInputAndKeepThePasswordSealed) {
    const struct {
        std::vector<std::string> words;
        const char* user;
        int code;
    } cases[] = {
        {{"settings", "--user", "SUPERVISOR", "--smtp", "mail.example"}, "SUPERVISOR", 64},
        {{"settings", "--user", "SUPERVISOR", "--smtp", "mail.example:70000"}, "SUPERVISOR", 64},
        {{"settings", "--user", "SUPERVISOR", "--smtp-security", "ssl"}, "SUPERVISOR", 64},
        {{"settings", "--user", "SUPERVISOR", "--from", "no address"}, "SUPERVISOR", 64},
        {{"settings", "--user", "BEN", "--smtp", "evil.example:25"}, "BEN", 77},
        {{"prefs", "--user", "BEN", "--notify-new", "maybe"}, "BEN", 64},
        {{"prefs", "--user", "BEN", "--language", "../x"}, "BEN", 64},
    };
    for (const auto& c : cases) EXPECT_EQ(run(c.words, c.user).code, c.code) << c.words[3];
    MailSetup setup;
    ASSERT_TRUE(readMailSetup(*m_db, setup).ok());
    EXPECT_EQ(store::rtrim(setup.HOST), "127.0.0.1");
    EXPECT_EQ(setup.PORT, m_port);

    setenv(cli::kSmtpPasswordVariable, "pässwort secret", 1);
    Result r = run({"settings", "--user", "SUPERVISOR", "--smtp-user", "office", "--smtp-security",
                    "starttls"},
                   "SUPERVISOR");
    unsetenv(cli::kSmtpPasswordVariable);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("password stored"), std::string::npos);
    EXPECT_EQ(r.out.find("secret"), std::string::npos);
    ASSERT_TRUE(readMailSetup(*m_db, setup).ok());
    EXPECT_EQ(setup.PASSWORD.find("secret"), std::string::npos);
    std::string plain;
    EXPECT_TRUE(openMailPassword(*m_db, setup, plain));
    EXPECT_EQ(plain, "pässwort secret");
    EXPECT_EQ(setup.SECURITY, int(MailSecurity::StartTls));
}

}  // namespace
}  // namespace tko
