// One office, every kind of viewer, every path that shows assignments, people
// or projects: what each path shows must be what the access module allows.
// The office holds the traps the rights must not fall into: a Private person
// "ben" of CARLA (named like the user BEN in another letter case), an Open
// person "Carla", Limited people and projects listed for one user only, and
// work given by and to each of them.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "access/Access.h"
#include "app/Backup.h"
#include "app/Login.h"
#include "app/StartupAlerts.h"
#include "assign/lists/DueNowList.h"
#include "assign/lists/UnseenList.h"
#include "cli/ScriptCommands.h"
#include "data/Keys.h"
#include "data/Notices.h"
#include "data/Numbering.h"
#include "data/Password.h"
#include "data/Preferences.h"
#include "data/Security.h"
#include "data/SyncTables.h"
#include "notices/OutboxSender.h"
#include "people/PeopleFilters.h"
#include "platform/store/NameCollation.h"
#include "platform/store/PgEngine.h"
#include "platform/store/PgRoles.h"
#include "projects/ProjectRules.h"
#include "reports/IcsExport.h"
#include "reports/ReportEngine.h"
#include "support/TestStore.h"
#include "sync/Import.h"
#include "users/UserAccounts.h"
#include "views/History.h"
#include "views/LookForward.h"
#include "views/Search.h"

namespace tko {
namespace {

constexpr Date kToday = 82000;
using Numbers = std::set<std::int32_t>;

struct Login {
    std::string user;
    int level;
    std::string password;
};
const std::vector<Login> kUsers{{"SUPERVISOR", 2, "super-pw-1"},
                                {"PADMIN", 1, "padmin-pw-1"},
                                {"BEN", 0, "ben-pw-1"},
                                {"CARLA", 0, "carla-pw-1"}};

class AccessMatrixTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setPasswordCost(PasswordCost::Minimal); }

    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        Clock::setFixed(kToday, 9 * kTicksPerHour);
        ASSERT_TRUE(m_db->begin({"USERS", "PEOPLE", "ASSIGNMENT", "PEOUSER", "PROJECT", "PROJUSER",
                                 "USERVIEW", "USERASSGN", "GROUPNAME", "GROUPPEOPLE"},
                                3000)
                        .ok());
        ASSERT_TRUE(m_db->add(m_settings).ok());
        for (const Login& l : kUsers) {
            User u;
            u.USERNAME = l.user;
            u.PASSWORD = hashPassword(l.password);
            u.ACCESSLEVEL = static_cast<std::uint8_t>(l.level);
            ASSERT_TRUE(m_db->add(u).ok());
            addPerson(l.user, "User", l.user);
        }
        // Written straight to the tables, as an older office may hold them:
        // the person form refuses names like a user's today.
        addPerson("ben", "Private", "CARLA");
        addPerson("Carla", "Open", "SUPERVISOR");
        addPerson("pal", "Private", "CARLA");
        addPerson("mine", "Private", "BEN");
        const std::int32_t listed = addPerson("Lim", "Limited", "CARLA");
        addPerson("LimX", "Limited", "CARLA");
        PeoUser pu;
        pu.PERSONNUMBER = listed;
        pu.USER = "BEN";
        ASSERT_TRUE(m_db->add(pu).ok());
        UserView view{"CARLA", "BEN"};  // BEN may view CARLA's work
        ASSERT_TRUE(m_db->add(view).ok());
        UserAssign give{"PADMIN", "BEN"};  // BEN may give work to PADMIN
        ASSERT_TRUE(m_db->add(give).ok());

        // Every giver gives every person an open, a concluded and an unseen
        // assignment.
        for (const auto& [number, person] : m_people)
            for (const Login& by : kUsers) {
                addAssignment(person, by.user, 0, 1);
                addAssignment(person, by.user, kToday - 3, 1);
                addAssignment(person, by.user, 0, 0);
            }

        addProject("Open work", "Open", "SUPERVISOR", {});
        addProject("Carla's own", "Private", "CARLA", {});
        addProject("Carla with Ben", "Limited", "CARLA", {"BEN"});
        addProject("Carla alone", "Limited", "CARLA", {});
        addProject("Ben's own", "Private", "BEN", {});

        // Each project holds the work its owner gave.
        for (const Assignment& a : readAssignments())
            for (const auto& [number, project] : m_projects)
                if (project.USER == a.USERNAME) {
                    ProjAssign link;
                    link.PROJNUMBER = number;
                    link.ASSIGNNUMBER = a.ASSIGNNUMBER;
                    link.NAME = project.NAME;
                    link.USER = project.USER;
                    ASSERT_TRUE(m_db->add(link).ok());
                    m_links.insert({number, a.ASSIGNNUMBER});
                }

        GroupName g;
        g.GROUPNAME = "Team";
        g.GROUPNUMBER = 1;
        g.USER = "BEN";
        ASSERT_TRUE(m_db->add(g).ok());
        for (const char* member : {"ben", "CARLA", "BEN", "Carla"}) {
            GroupPeople gp;
            gp.GROUPNAME = "Team";
            gp.GROUPNUMBER = 1;
            gp.SHORTNAME = member;
            ASSERT_TRUE(m_db->add(gp).ok());
        }
        ASSERT_TRUE(m_db->commit().ok());
        m_all = readAssignments();
    }

    std::vector<Assignment> readAssignments() {
        std::vector<Assignment> all;
        EXPECT_TRUE(m_db->readAll(key::ASS_NUMBER_KEY, store::all(), all).ok());
        return all;
    }
    void TearDown() override { Clock::useSystem(); }

    std::int32_t addPerson(const std::string& name, const std::string& type,
                           const std::string& owner) {
        const Person p = test::addPerson(*m_db, static_cast<std::int32_t>(m_people.size()) + 1,
                                         name, type, owner);
        m_people[p.PERSONNUMBER] = p;
        return p.PERSONNUMBER;
    }

    void addAssignment(const Person& to, const std::string& by, Date closed, int seen) {
        Assignment a;
        a.ASSIGNNUMBER = static_cast<std::int32_t>(++m_next);
        a.NAME = taskName(m_next);
        a.PERSON = to.SHORTNAME;
        a.PERSONNUMBER = to.PERSONNUMBER;
        a.USERNAME = by;
        a.DUEDATE = kToday - 1;
        a.ASSIGNEDDATE = kToday - 10;
        a.CLOSEDATE = closed;
        a.SEEN = static_cast<std::uint8_t>(seen);
        a.PRIORITY = 5;
        a.REPEATTYPE = "No Repeats";
        EXPECT_TRUE(m_db->add(a).ok());
    }

    // Zero-padded, so that no name holds another.
    static std::string taskName(int number) {
        std::string digits = std::to_string(number);
        return "Task-" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
    }

    void addProject(const std::string& name, const std::string& type, const std::string& owner,
                    const std::vector<std::string>& users) {
        Project p;
        p.PROJNUMBER = static_cast<std::int32_t>(m_projects.size()) + 1;
        p.NAME = name;
        p.TYPE = type;
        p.USER = owner;
        EXPECT_TRUE(m_db->add(p).ok());
        for (const std::string& u : users) {
            ProjUser pu;
            pu.PROJNUMBER = p.PROJNUMBER;
            pu.NAME = name;
            pu.USER = u;
            EXPECT_TRUE(m_db->add(pu).ok());
            m_projectUsers.insert({p.PROJNUMBER, u});
        }
        m_projects[p.PROJNUMBER] = p;
    }

    const Person* assigneeOf(const Assignment& a) const {
        auto it = m_people.find(a.PERSONNUMBER);
        return it == m_people.end() ? nullptr : &it->second;
    }

    // The assignments `rule` keeps.
    Numbers expected(const std::function<bool(const Assignment&)>& rule) const {
        Numbers out;
        for (const Assignment& a : m_all)
            if (rule(a)) out.insert(a.ASSIGNNUMBER);
        return out;
    }

    Numbers read(const char* key, const store::Filter& filter) {
        std::vector<Assignment> rows;
        EXPECT_TRUE(m_db->readAll(key, filter, rows).ok());
        Numbers out;
        for (const Assignment& a : rows) out.insert(a.ASSIGNNUMBER);
        EXPECT_EQ(out.size(), rows.size()) << "a row listed twice along " << key;
        return out;
    }

    // A script command's JSON rows, as `login` runs it.
    Numbers cli(const std::string& command, const Login& login) {
        setenv("TASKORBIT_PASSWORD", login.password.c_str(), 1);
        std::istringstream in;
        std::ostringstream out, err;
        const int code = cli::runScriptCommand(
            {command, m_source.directory, "--user", login.user, "--json"}, m_source.serverInfo,
            QString::fromStdString(m_dir.path()), in, out, err);
        unsetenv("TASKORBIT_PASSWORD");
        EXPECT_EQ(code, cli::kExitOk) << err.str();
        Numbers numbers;
        for (const QJsonValue& row :
             QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).array())
            numbers.insert(row.toObject().value(QStringLiteral("assignNumber")).toInt());
        return numbers;
    }

    // Each user, with and without "View All".
    template <class F>
    void forEachViewer(F&& body) {
        for (bool viewAll : {false, true}) {
            m_settings.VIEWALL = viewAll ? 1 : 0;
            ASSERT_TRUE(m_db->change(m_settings).ok());
            for (const Login& login : kUsers) {
                Session session;
                session.GlobalUser = login.user;
                session.GlobalUserAccess = login.level;
                access::Viewer viewer;
                ASSERT_TRUE(access::loadViewer(*m_db, session, viewer).ok());
                SCOPED_TRACE(login.user + (viewAll ? " with View All" : ""));
                body(login, session, viewer);
            }
        }
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
    SystemPref m_settings;
    std::map<std::int32_t, Person> m_people;
    std::map<std::int32_t, Project> m_projects;
    std::set<std::pair<std::int32_t, std::string>> m_projectUsers;
    std::set<std::pair<std::int32_t, std::int32_t>> m_links;  // project, assignment
    std::vector<Assignment> m_all;
    int m_next = 0;
};

// Look Forward and History (every screen and tab), the due-now and unseen
// lists, the start-up alerts, the iCalendar export and the script commands.
TEST_F(AccessMatrixTest, EveryAssignmentPathShowsWhatTheModuleAllows) {
    forEachViewer([&](const Login& login, const Session& session, const access::Viewer& viewer) {
        ViewScope scope;
        ASSERT_TRUE(loadViewScope(*m_db, session, scope).ok());
        auto open = [](const Assignment& a) { return a.CLOSEDATE == 0; };
        auto sees = [&](const Assignment& a) { return access::maySeeAssignment(a, viewer); };
        auto opens = [&](const Assignment& a) {
            return access::mayOpenAssignment(a, assigneeOf(a), viewer);
        };

        LookForwardOptions lf;
        lf.includeDueNow = lf.includeSecondary = true;
        lf.today = kToday;
        HistoryOptions history{true, kToday - 30, kToday};
        for (ScheduleScreen screen :
             {ScheduleScreen::General, ScheduleScreen::Person, ScheduleScreen::Group}) {
            // A typed person matches in any letter case (a look-up), but what
            // it shows is only ever what the user may open.
            std::vector<ViewSubject> subjects(1);
            if (screen == ScheduleScreen::Person) {
                subjects.assign(3, {});
                subjects[0].person = "ben";
                subjects[1].person = "BEN";
                subjects[2].person = "Carla";
            } else if (screen == ScheduleScreen::Group) {
                subjects[0].group = "Team";
                subjects[0].groupNumber = 1;
            }
            for (const ViewSubject& given : subjects) {
                auto matches = [&](const Assignment& a) {
                    if (screen == ScheduleScreen::Person)
                        return store::sameName(store::rtrim(a.PERSON), given.person);
                    if (screen == ScheduleScreen::Group)
                        return std::set<std::string>{"ben", "CARLA", "BEN", "Carla"}.count(
                                   store::rtrim(a.PERSON)) > 0;
                    return true;
                };
                auto allowed = [&](const Assignment& a) {
                    return matches(a) && (screen == ScheduleScreen::Person ? opens(a) : sees(a));
                };
                for (bool isHistory : {false, true}) {
                    const auto& tabs = isHistory ? historyTabs(screen) : lookForwardTabs(screen);
                    for (int tab = 0; tab < static_cast<int>(tabs.size()); ++tab) {
                        ViewSubject subject = given;
                        const Status loaded =
                            isHistory ? loadHistorySubject(*m_db, screen, subject, tab)
                                      : loadLookForwardSubject(*m_db, screen, subject, tab);
                        ASSERT_TRUE(loaded.ok());
                        const store::Filter filter =
                            isHistory ? historyFilter(screen, tab, subject, history, scope)
                                      : lookForwardFilter(screen, tab, subject, lf, scope);
                        const Numbers shown = read(tabs[static_cast<size_t>(tab)].keyLabel, filter);
                        const Numbers want = expected([&](const Assignment& a) {
                            // History: every row assigned in the period,
                            // on the concluded tabs those concluded in it.
                            const bool dated = !isHistory ? open(a)
                                               : historyTabIsConcluded(screen, tab)
                                                   ? a.CLOSEDATE != 0
                                                   : true;
                            return dated && allowed(a);
                        });
                        // The person tabs that match letter for letter show a
                        // part of the allowed rows; none shows more.
                        for (std::int32_t n : shown)
                            EXPECT_TRUE(want.count(n))
                                << (isHistory ? "History" : "Look Forward") << " screen "
                                << static_cast<int>(screen) << " tab " << tab << " " << given.person
                                << " shows " << n;
                        if (screen != ScheduleScreen::Person) {
                            EXPECT_EQ(shown.size(), want.size())
                                << "screen " << static_cast<int>(screen) << " tab " << tab;
                        }
                    }
                }
            }
        }

        DueNowScope due;
        ASSERT_TRUE(loadDueNowScope(*m_db, session, true, kToday, due).ok());
        const Numbers dueNow = expected([&](const Assignment& a) { return open(a) && sees(a); });
        EXPECT_EQ(read(key::ASS_PRIORITY_KEY, dueNowFilter(due)), dueNow);

        const Numbers unseen = expected([&](const Assignment& a) {
            return open(a) && a.SEEN == 0 && access::isUser(a.PERSON, login.user) &&
                   !access::isUser(a.USERNAME, login.user);
        });
        EXPECT_EQ(read(key::ASS_SEENPERSON_KEY, unseenFilter(login.user)), unseen);

        // The status bar, the start-up alert and the window (for one who sees
        // only his own work) agree on what is due for the user.
        const Numbers dueForUser =
            expected([&](const Assignment& a) { return isDueForUser(a, login.user, kToday); });
        EXPECT_EQ(dueForUser, expected([&](const Assignment& a) {
                      return open(a) && access::isOwnAssignment(a, login.user);
                  }));
        EXPECT_EQ(read(key::ASS_DUEDATE_KEY, dueForUserFilter(login.user, kToday)), dueForUser);
        std::int64_t count = -1;
        ASSERT_TRUE(countDueAssignments(*m_db, login.user, kToday, count).ok());
        EXPECT_EQ(count, static_cast<std::int64_t>(dueForUser.size()));
        bool anyDue = false;
        ASSERT_TRUE(hasDueAssignment(*m_db, login.user, kToday, anyDue).ok());
        EXPECT_EQ(anyDue, !dueForUser.empty());

        std::string calendar;
        ASSERT_TRUE(buildIcsCalendar(*m_db, session, QDateTime::currentDateTimeUtc(), calendar).ok);
        for (const Assignment& a : m_all) {
            const std::string uid = "UID:assignment-" + std::to_string(a.ASSIGNNUMBER) + "@";
            const bool listed = calendar.find(uid) != std::string::npos;
            EXPECT_EQ(listed, open(a) && access::isUser(a.PERSON, login.user))
                << "iCalendar, assignment " << a.ASSIGNNUMBER;
        }

        EXPECT_EQ(cli("due", login), dueNow);
        EXPECT_EQ(cli("unseen", login), unseen);
    });
}

// The three people lists and the projects list.
TEST_F(AccessMatrixTest, PeopleAndProjectListsShowWhatTheModuleAllows) {
    forEachViewer([&](const Login& login, const Session& session, const access::Viewer& viewer) {
        for (PeopleList list : {PeopleList::Edit, PeopleList::Assignable, PeopleList::Viewable}) {
            std::vector<Person> rows;
            ASSERT_TRUE(m_db->readAll(key::PEO_SHORT_KEY,
                                      peopleListFilter(list, session, viewer.viewAll), rows)
                            .ok());
            std::set<std::int32_t> shown;
            for (const Person& p : rows) shown.insert(p.PERSONNUMBER);
            for (const auto& [number, person] : m_people) {
                const bool listed = person.SHORTNAME == "Lim" && login.user == "BEN";
                const bool visible = access::maySeePerson(person, viewer, listed);
                if (list == PeopleList::Edit) {
                    EXPECT_EQ(shown.count(number) > 0, visible) << person.SHORTNAME;
                } else if (!viewer.seesAll()) {
                    EXPECT_TRUE(visible || !shown.count(number))
                        << person.SHORTNAME << " offered in list " << static_cast<int>(list);
                }
            }
            // Nobody is offered a person named like him as his own entry.
            if (list != PeopleList::Edit && !viewer.seesAll()) {
                EXPECT_FALSE(std::any_of(rows.begin(), rows.end(), [&](const Person& p) {
                    return store::rtrim(p.SHORTNAME) != login.user &&
                           store::sameName(store::rtrim(p.SHORTNAME), login.user) &&
                           p.TYPE != "Open";
                }));
            }
        }

        std::vector<Project> projects;
        ASSERT_TRUE(m_db->readAll(key::PRO_NAME_KEY, projectListFilter(session), projects).ok());
        std::set<std::int32_t> shown;
        for (const Project& p : projects) shown.insert(p.PROJNUMBER);
        for (const auto& [number, project] : m_projects) {
            const bool listed = m_projectUsers.count({number, login.user}) > 0;
            EXPECT_EQ(shown.count(number) > 0, access::maySeeProject(project, viewer, listed))
                << project.NAME;
        }
    });
}

// The word search (Edit > Find and the find command): each kind finds what
// its list shows and nothing else; confidential comments are found and shown
// only to those who may read them; a person's confidential comments never.
TEST_F(AccessMatrixTest, TheWordSearchFindsAndShowsOnlyWhatTheModuleAllows) {
    ASSERT_TRUE(m_db->begin({"ASSIGNMENT", "PEOPLE", "PROJECT"}, 3000).ok());
    for (Assignment& a : m_all) {
        a.GENERALMEMO = "Lease of the Müller hall";
        a.CONFMEMO = "zephyr lease secret";
        ASSERT_TRUE(m_db->change(a).ok());
    }
    for (auto& [number, p] : m_people) {
        ASSERT_TRUE(m_db->reread(p).ok());
        p.COMMENTS = "pumpkin";
        p.CONFCOMMENTS = "walnut";
        ASSERT_TRUE(m_db->change(p).ok());
    }
    for (auto& [number, p] : m_projects) {
        ASSERT_TRUE(m_db->reread(p).ok());
        p.NOTE = "Harbour plans";
        ASSERT_TRUE(m_db->change(p).ok());
    }
    ASSERT_TRUE(m_db->commit().ok());

    // The numbers of `kind` found for `typed`; every snippet checked.
    auto found = [&](const Session& session, const access::Viewer& viewer, const char* typed,
                     SearchKind kind) {
        std::vector<SearchHit> hits;
        EXPECT_TRUE(searchOffice(*m_db, session, typed, 1000, hits).ok());
        Numbers numbers;
        for (const SearchHit& hit : hits) {
            EXPECT_EQ(hit.snippet.find("walnut"), std::string::npos);
            if (hit.kind == SearchKind::Assignment) {
                const auto a = std::find_if(m_all.begin(), m_all.end(), [&](const Assignment& x) {
                    return x.ASSIGNNUMBER == hit.number;
                });
                EXPECT_TRUE(a != m_all.end() && (access::mayReadConfidential(*a, viewer) ||
                                                 hit.snippet.find("zephyr") == std::string::npos))
                    << "confidential text shown of " << hit.number;
            }
            if (hit.kind == kind) {
                EXPECT_TRUE(numbers.insert(hit.number).second);
            }
        }
        return numbers;
    };

    forEachViewer([&](const Login& login, const Session& session, const access::Viewer& viewer) {
        const Numbers visible =
            expected([&](const Assignment& a) { return access::maySeeAssignment(a, viewer); });
        // Letter case and accents aside, by the start of a word.
        for (const char* typed : {"lease", "MULLER hall", "müll"})
            EXPECT_EQ(found(session, viewer, typed, SearchKind::Assignment), visible) << typed;
        EXPECT_EQ(found(session, viewer, "zephyr", SearchKind::Assignment),
                  expected([&](const Assignment& a) {
                      return access::maySeeAssignment(a, viewer) &&
                             access::mayReadConfidential(a, viewer);
                  }));
        EXPECT_TRUE(found(session, viewer, "ease", SearchKind::Assignment).empty());
        EXPECT_TRUE(found(session, viewer, "walnut", SearchKind::Person).empty());

        Numbers people;
        for (const auto& [number, person] : m_people)
            if (access::maySeePerson(person, viewer,
                                     person.SHORTNAME == "Lim" && login.user == "BEN"))
                people.insert(number);
        EXPECT_EQ(found(session, viewer, "Pumpkin", SearchKind::Person), people);

        Numbers projects;
        for (const auto& [number, project] : m_projects)
            if (access::maySeeProject(project, viewer,
                                      m_projectUsers.count({number, login.user}) > 0))
                projects.insert(number);
        EXPECT_EQ(found(session, viewer, "harb", SearchKind::Project), projects);

        const bool ownsTeam = login.user == "BEN" || viewer.isSystemAdministrator();
        EXPECT_EQ(found(session, viewer, "tea", SearchKind::GroupList),
                  ownsTeam ? Numbers{1} : Numbers{});
    });

    // The command: the same hits, as objects of exactly four members.
    const Login& ben = kUsers[2];
    setenv("TASKORBIT_PASSWORD", ben.password.c_str(), 1);
    std::istringstream in;
    std::ostringstream out, err;
    const int code = cli::runScriptCommand(
        {"find", m_source.directory, "--user", ben.user, "zephyr", "--json"}, m_source.serverInfo,
        QString::fromStdString(m_dir.path()), in, out, err);
    unsetenv("TASKORBIT_PASSWORD");
    ASSERT_EQ(code, cli::kExitOk) << err.str();
    Session session;
    session.GlobalUser = ben.user;
    session.GlobalUserAccess = ben.level;
    std::vector<SearchHit> hits;
    ASSERT_TRUE(searchOffice(*m_db, session, "zephyr", 50, hits).ok());
    const QJsonArray rows = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).array();
    ASSERT_EQ(rows.size(), static_cast<qsizetype>(hits.size()));
    ASSERT_FALSE(hits.empty());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonObject row = rows[i].toObject();
        EXPECT_EQ(row.keys(), (QStringList{QStringLiteral("number"), QStringLiteral("snippet"),
                                           QStringLiteral("table"), QStringLiteral("title")}));
        const SearchHit& hit = hits[static_cast<size_t>(i)];
        EXPECT_EQ(row.value(QStringLiteral("table")).toString().toStdString(), hit.table);
        EXPECT_EQ(row.value(QStringLiteral("number")).toInt(), hit.number);
        EXPECT_EQ(row.value(QStringLiteral("title")).toString().toStdString(), hit.title);
        EXPECT_EQ(row.value(QStringLiteral("snippet")).toString().toStdString(), hit.snippet);
    }
}

// Keeps the text of every line a report hands over.
class ReportLines : public PageSink {
public:
    bool addPage(const ReportPage& page) override {
        for (const PageLine& line : page.lines) text += lineText(line).toStdString() + "\n";
        return true;
    }
    bool finish() override { return true; }
    void abort() override {}
    std::string text;
};

// Every report type: the assignments a report prints are the ones the module
// lets the user see on the screen the report stands for.
TEST_F(AccessMatrixTest, EveryReportPrintsWhatTheModuleAllows) {
    forEachViewer([&](const Login& login, const Session& session, const access::Viewer& viewer) {
        auto sees = [&](const Assignment& a) { return access::maySeeAssignment(a, viewer); };
        auto opens = [&](const Assignment& a) {
            return access::mayOpenAssignment(a, assigneeOf(a), viewer);
        };
        auto member = [](const Assignment& a) {
            return std::set<std::string>{"ben", "CARLA", "BEN", "Carla"}.count(
                       store::rtrim(a.PERSON)) > 0;
        };
        auto inVisibleProject = [&](const Assignment& a, const std::string& only) {
            for (const auto& [number, project] : m_projects)
                if (m_links.count({number, a.ASSIGNNUMBER}) &&
                    (only.empty() || project.NAME == only) &&
                    access::maySeeProject(project, viewer,
                                          m_projectUsers.count({number, login.user})))
                    return true;
            return false;
        };
        struct Case {
            ReportType type;
            std::function<bool(const Assignment&)> allowed;
            bool exact;  // prints every allowed row (else: none beyond them)
        };
        const std::vector<Case> cases{
            {ReportType::AssignmentsDue,
             [&](const Assignment& a) { return !a.CLOSEDATE && sees(a); }, true},
            {ReportType::LookForwardGeneral,
             [&](const Assignment& a) { return !a.CLOSEDATE && sees(a); }, true},
            {ReportType::LookForwardPerson,
             [&](const Assignment& a) {
                 return !a.CLOSEDATE && store::sameName(store::rtrim(a.PERSON), "ben") && opens(a);
             },
             false},
            {ReportType::LookForwardGroup,
             [&](const Assignment& a) { return !a.CLOSEDATE && member(a) && sees(a); }, false},
            {ReportType::HistoryGeneral, sees, true},
            {ReportType::HistoryPerson,
             [&](const Assignment& a) {
                 return store::sameName(store::rtrim(a.PERSON), "ben") && opens(a);
             },
             false},
            {ReportType::HistoryGroup, [&](const Assignment& a) { return member(a) && sees(a); },
             false},
            {ReportType::ProjectSingle,
             [&](const Assignment& a) { return inVisibleProject(a, "Carla with Ben") && opens(a); },
             false},
            {ReportType::ProjectAll,
             [&](const Assignment& a) { return inVisibleProject(a, "") && opens(a); }, false},
        };
        for (const Case& c : cases) {
            ReportParams params;
            params.type = c.type;
            params.summary = true;
            params.includeSecondary = params.includeDueNow = true;
            params.person = "ben";
            params.group = "Team";
            params.project = "Carla with Ben";
            params.startDate = kToday - 30;
            params.endDate = kToday + 30;
            ReportLines lines;
            ReportEngine engine(*m_db, session, kToday);
            const ReportResult result = engine.run(params, lines, [](int) { return true; });
            ASSERT_NE(result.outcome, ReportResult::Outcome::Failed)
                << result.message.toStdString();
            for (const Assignment& a : m_all) {
                const bool printed = lines.text.find(store::rtrim(a.NAME)) != std::string::npos;
                if (c.exact || printed) {
                    EXPECT_EQ(printed, c.allowed(a))
                        << "report " << static_cast<int>(c.type) << ", " << store::rtrim(a.NAME)
                        << " to " << a.PERSON << " by " << a.USERNAME;
                }
            }
        }
    });
}

}  // namespace
}  // namespace tko

namespace tko {
namespace {

// ---- a server that enforces the rights itself (platform/store/PgRoles.h) ----------

class ServerRolesTest : public AccessMatrixTest {
protected:
    void SetUp() override {
        if (!test::usingServer()) GTEST_SKIP() << "the users' roles live on a server";
        AccessMatrixTest::SetUp();
        m_server = dynamic_cast<store::PgEngine*>(&m_db->engine());
        ASSERT_TRUE(m_server);
        std::string gate;
        std::vector<std::pair<std::string, std::string>> once;
        ASSERT_TRUE(store::secureOffice(*m_server, allTables(), gate, once).ok());
        ASSERT_EQ(once.size(), kUsers.size());  // a role for every user
        for (const Login& l : kUsers)
            ASSERT_TRUE(
                store::setUserRolePassword(*m_server, l.user, clippedPassword(l.password)).ok());
        // Confidential comments on every assignment, and every other one the
        // assignee may conclude.
        ASSERT_TRUE(m_server
                        ->execute("UPDATE \"ASSIGNMENT\" SET \"CONFMEMO\" = 'secret', "
                                  "\"ASSIGNEECONCLUDE\" = \"ASSIGNNUMBER\" % 2",
                                  {})
                        .ok());
        m_all = readAssignments();
        ASSERT_TRUE(m_db->reread(m_settings).ok());
        // Each user keeps a reminder on the first assignment he gave and one
        // of his own; every person has an anniversary.
        std::int32_t number = 0;
        for (const Login& l : kUsers)
            for (const std::int32_t on : {firstGivenBy(l.user), 0}) {
                Reminder r;
                r.DATE = kToday + 1;
                r.USER = l.user;
                r.ASSIGNNUMBER = on;
                r.REMINDNUMBER = ++number;
                ASSERT_TRUE(m_db->add(r).ok());
                m_reminders[r.REMINDNUMBER] = r;
            }
        for (const auto& [personNumber, person] : m_people) {
            Anniversary a;
            a.DATE = kToday + 10;
            a.SHORTNAME = person.SHORTNAME;
            a.NUMBER = personNumber;
            ASSERT_TRUE(m_db->add(a).ok());
        }
    }

    std::int32_t firstGivenBy(const std::string& user) const {
        for (const Assignment& a : m_all)
            if (store::rtrim(a.USERNAME) == user) return a.ASSIGNNUMBER;
        return 0;
    }

    // A station connected as `user`'s role with `password`; nullptr when the
    // server refused (`noLogin` then tells whether the role may not log in).
    std::unique_ptr<Database> connectAs(const std::string& user, const std::string& password,
                                        bool* noLogin = nullptr) {
        Status status;
        auto engine = Database::openEngine(m_source, false, status);
        EXPECT_TRUE(engine) << status.describe();
        if (!engine) return nullptr;
        auto* pg = dynamic_cast<store::PgEngine*>(engine.get());
        bool refused = false, suspended = false;
        // A password counts with its first 10 characters, on the server too.
        const Status s = pg->reconnectAs(store::userRoleName(pg->databaseName(), user),
                                         clippedPassword(password), refused, suspended);
        if (noLogin) *noLogin = suspended;
        if (!s.ok()) {
            EXPECT_TRUE(refused) << s.describe();
            return nullptr;
        }
        return std::make_unique<Database>(std::move(engine));
    }

    bool roleExists(const std::string& user) {
        std::vector<std::vector<std::string>> rows;
        EXPECT_TRUE(m_server
                        ->execute("SELECT count(*) FROM pg_roles WHERE rolname = $1",
                                  {store::userRoleName(m_server->databaseName(), user)}, &rows)
                        .ok());
        return !rows.empty() && rows[0][0] == "1";
    }

    // The office's mail server, stored by the administrator.
    void storeMailServer(const std::string& password) {
        Session admin;
        admin.GlobalUser = "SUPERVISOR";
        admin.GlobalUserAccess = 2;
        MailSetup setup;
        setup.HOST = "127.0.0.1";
        setup.PORT = 25;
        setup.FROMADDRESS = "office@office.example";
        std::string refusal;
        ASSERT_TRUE(storeMailSetup(*m_db, admin, setup, password, refusal).ok()) << refusal;
        ASSERT_TRUE(refusal.empty());
    }

    store::PgEngine* m_server = nullptr;
    std::map<std::int32_t, Reminder> m_reminders;
};

// Each user's own role reads exactly the rows the access module lets him open
// or see, and the confidential comments only where he may read them.
TEST_F(ServerRolesTest, EachRoleReadsWhatTheModuleAllows) {
    forEachViewer([&](const Login& login, const Session& session, const access::Viewer& viewer) {
        auto station = connectAs(login.user, login.password);
        ASSERT_TRUE(station);
        std::vector<Assignment> assignments;
        ASSERT_TRUE(station->readAll(key::ASS_NUMBER_KEY, store::all(), assignments).ok());
        Numbers shown;
        for (const Assignment& a : assignments) {
            shown.insert(a.ASSIGNNUMBER);
            EXPECT_EQ(store::rtrim(a.CONFMEMO) == "secret", access::mayReadConfidential(a, viewer))
                << "confidential comments of " << a.ASSIGNNUMBER;
        }
        EXPECT_EQ(shown, expected([&](const Assignment& a) {
                      return access::mayOpenAssignment(a, assigneeOf(a), viewer);
                  }));

        // The write rules, as the policies and triggers ask them.
        std::vector<std::vector<std::string>> rules;
        ASSERT_TRUE(m_server
                        ->execute("SELECT \"ASSIGNNUMBER\", "
                                  "users.tko_may_change_assignment($1, $2, \"USERNAME\"), "
                                  "users.tko_may_conclude_assignment($1, $2, \"PERSON\", "
                                  "\"USERNAME\", \"ASSIGNEECONCLUDE\") FROM \"ASSIGNMENT\"",
                                  {login.user, std::to_string(login.level)}, &rules)
                        .ok());
        ASSERT_EQ(rules.size(), m_all.size());
        std::map<std::int32_t, const Assignment*> byNumber;
        for (const Assignment& a : m_all) byNumber[a.ASSIGNNUMBER] = &a;
        for (const auto& row : rules) {
            const Assignment& a = *byNumber.at(std::stoi(row[0]));
            EXPECT_EQ(row[1] == "t", access::mayChangeAssignment(a, viewer)) << row[0];
            EXPECT_EQ(row[1] == "t", access::mayDeleteAssignment(a, viewer)) << row[0];
            EXPECT_EQ(row[2] == "t", access::mayConcludeAssignment(a, viewer)) << row[0];
        }

        std::vector<Person> people;
        ASSERT_TRUE(station->readAll(key::PEO_SHORT_KEY, store::all(), people).ok());
        std::set<std::int32_t> seen;
        for (const Person& p : people) seen.insert(p.PERSONNUMBER);
        for (const auto& [number, person] : m_people) {
            const bool listed = person.SHORTNAME == "Lim" && login.user == "BEN";
            EXPECT_EQ(seen.count(number) > 0, access::maySeePerson(person, viewer, listed))
                << person.SHORTNAME;
        }

        // Anniversaries: of the people he sees, as the person form shows them.
        std::vector<Anniversary> anniversaries;
        ASSERT_TRUE(station->readAll(key::ANN_NUMBER_KEY, store::all(), anniversaries).ok());
        std::set<std::int32_t> remembered;
        for (const Anniversary& a : anniversaries) remembered.insert(a.NUMBER);
        EXPECT_EQ(remembered, seen);

        std::vector<Project> projects;
        ASSERT_TRUE(station->readAll(key::PRO_NAME_KEY, store::all(), projects).ok());
        std::set<std::int32_t> visible;
        for (const Project& p : projects) visible.insert(p.PROJNUMBER);
        for (const auto& [number, project] : m_projects)
            EXPECT_EQ(visible.count(number) > 0,
                      access::maySeeProject(project, viewer,
                                            m_projectUsers.count({number, login.user}) > 0))
                << project.NAME;
        // A project's links come with the project.
        std::vector<ProjAssign> links;
        ASSERT_TRUE(station->readAll(key::PRA_PRIMARY_KEY, store::all(), links).ok());
        std::set<std::pair<std::int32_t, std::int32_t>> linked, linksExpected;
        for (const ProjAssign& l : links) linked.insert({l.PROJNUMBER, l.ASSIGNNUMBER});
        for (const auto& link : m_links)
            if (visible.count(link.first)) linksExpected.insert(link);
        EXPECT_EQ(linked, linksExpected);

        // Reminders: his own, and those on an assignment he may open.
        std::vector<Reminder> reminders;
        ASSERT_TRUE(station->readAll(key::REM_REMINDERNUMBER_KEY, store::all(), reminders).ok());
        Numbers reminded, remindersExpected;
        for (const Reminder& r : reminders) reminded.insert(r.REMINDNUMBER);
        for (const auto& [number, r] : m_reminders)
            if (login.level >= 2 || r.USER == login.user ||
                (r.ASSIGNNUMBER != 0 && shown.count(r.ASSIGNNUMBER)))
                remindersExpected.insert(number);
        EXPECT_EQ(reminded, remindersExpected);

        // The word search through his role: the confidential comments (all
        // "secret") found where he may read them, though his role may not
        // select the column.
        std::vector<SearchHit> hits;
        ASSERT_TRUE(searchOffice(*station, session, "secret", 1000, hits).ok());
        Numbers confidential;
        for (const SearchHit& hit : hits)
            if (hit.kind == SearchKind::Assignment) confidential.insert(hit.number);
        EXPECT_EQ(confidential, expected([&](const Assignment& a) {
                      return access::maySeeAssignment(a, viewer) &&
                             access::mayReadConfidential(a, viewer);
                  }));

        // Group lists: the owner's (BEN's "Team"), all for System Administrators.
        std::vector<GroupPeople> members;
        ASSERT_TRUE(station->readAll(key::GRP_GROUPNUMBER_KEY, store::all(), members).ok());
        EXPECT_EQ(members.size(), login.user == "BEN" || login.level >= 2 ? 4U : 0U);
    });
}

// What a General User's role tries with psql beside the program.
TEST_F(ServerRolesTest, GeneralUserRoleCannotReachBeyondHisRights) {
    auto ben = connectAs("BEN", "ben-pw-1");
    ASSERT_TRUE(ben);
    User self;
    ASSERT_TRUE(ben->fetch(key::USE_USERNAME_KEY, {std::string("BEN")}, self).ok());
    EXPECT_EQ(self.PASSWORD, "!");  // no hash on the server: the mark of a one-time password
    self.ACCESSLEVEL = 2;
    EXPECT_FALSE(ben->change(self).ok());

    std::vector<Assignment> rows;
    ASSERT_TRUE(ben->readAll(key::ASS_NUMBER_KEY, store::all(), rows).ok());
    const auto carlas = std::find_if(rows.begin(), rows.end(), [](const Assignment& a) {
        return store::rtrim(a.USERNAME) == "CARLA";
    });
    ASSERT_NE(carlas, rows.end());
    Assignment changed = *carlas;
    changed.NAME = "taken over";
    EXPECT_FALSE(ben->change(changed).ok());
    Assignment stored;
    ASSERT_TRUE(
        m_db->fetch(key::ASS_NUMBER_KEY, {std::int64_t{carlas->ASSIGNNUMBER}}, stored).ok());
    EXPECT_EQ(store::rtrim(stored.NAME), store::rtrim(carlas->NAME));

    Person pal;
    EXPECT_EQ(ben->fetch(key::PEO_SHORT_KEY, {std::string("pal")}, pal).code,
              store::kRecordNotFound);
    auto* pg = dynamic_cast<store::PgEngine*>(&ben->engine());
    EXPECT_FALSE(pg->execute("SELECT \"PASSWORD\" FROM users.\"USERS\"", {}).ok());
    EXPECT_FALSE(pg->execute("SELECT \"CONFMEMO\" FROM \"ASSIGNMENT\"", {}).ok());
    EXPECT_FALSE(pg->execute("SELECT users.tko_role_drop('CARLA')", {}).ok());
    // Nor can he reach CARLA's reminders or make her a group list behind the
    // program: her rows are not there for him to delete, nor his to add.
    std::vector<std::vector<std::string>> touched;
    ASSERT_TRUE(pg->execute("WITH d AS (DELETE FROM \"REMINDER\" WHERE \"USER\" = 'CARLA' "
                            "AND \"ASSIGNNUMBER\" = 0 RETURNING 1) SELECT count(*) FROM d",
                            {}, &touched)
                    .ok());
    EXPECT_EQ(touched.at(0).at(0), "0");
    EXPECT_FALSE(pg->execute("INSERT INTO \"GROUPNAME\" (\"GROUPNAME\", \"GROUPNUMBER\", "
                             "\"USER\") VALUES ('Stolen', 9, 'CARLA')",
                             {})
                     .ok());
    // Calendar sync rows: his own only, to read and to write.
    CaldavSync carlasRow, bensRow;
    carlasRow.USERNAME = "CARLA";
    carlasRow.ASSIGNNUMBER = 1;
    ASSERT_TRUE(m_db->add(carlasRow).ok());
    std::vector<CaldavSync> seen;
    ASSERT_TRUE(ben->readAll(key::CDS_USERASSIGN_KEY, store::all(), seen).ok());
    EXPECT_TRUE(seen.empty());
    CaldavSync forged = carlasRow;
    forged.rowPos = 0;
    forged.ASSIGNNUMBER = 2;
    EXPECT_FALSE(ben->add(forged).ok());
    bensRow.USERNAME = "BEN";
    bensRow.ASSIGNNUMBER = 1;
    EXPECT_TRUE(ben->add(bensRow).ok());
}

// Notices by mail on a secured server: a General User's station queues the
// notices his changes call for, as himself only, but reads neither the seal
// key nor the others' notices, so it leaves the sending to the stations of
// System Administrators, which claim them.
TEST_F(ServerRolesTest, GeneralUsersQueueNoticesAndAdministratorsSendThem) {
    storeMailServer("smtp-secret");
    auto ben = connectAs("BEN", "ben-pw-1");
    ASSERT_TRUE(ben);
    bool queued = false;
    ASSERT_TRUE(queueNotice(*ben, "SUPERVISOR", NoticeKind::Concluded, firstGivenBy("SUPERVISOR"),
                            "BEN", &queued)
                    .ok());
    EXPECT_TRUE(queued);
    // Not in another's name.
    EXPECT_FALSE(queueNotice(*ben, "SUPERVISOR", NoticeKind::Concluded, 1, "CARLA").ok());
    std::string key, password;
    EXPECT_FALSE(officeSealKey(*ben, key).ok() && !key.empty());
    MailSetup seen;
    ASSERT_TRUE(readMailSetup(*ben, seen).ok());
    EXPECT_FALSE(openMailPassword(*ben, seen, password));
    SendReport report;
    ASSERT_TRUE(sendDueNotices(*ben, QString(), "ben's station", report).ok());
    EXPECT_EQ(report.problem, kMailPasswordUnreadable);
    EXPECT_EQ(report.sent + report.retrying + report.givenUp, 0);

    auto supervisor = connectAs("SUPERVISOR", "super-pw-1");
    ASSERT_TRUE(supervisor);
    EXPECT_TRUE(openMailPassword(*supervisor, seen, password));
    EXPECT_EQ(password, "smtp-secret");
    Outbox claimed;
    bool got = false;
    ASSERT_TRUE(claimNextNotice(*supervisor, "supervisor's station", claimed, got).ok());
    ASSERT_TRUE(got);
    EXPECT_EQ(store::rtrim(claimed.CREATEDBY), "BEN");
}

// An office secured by an earlier version lacks the rules of tables added
// since; securing it again covers them and keeps the gate's password, which
// every station's connection string holds.
TEST_F(ServerRolesTest, SecuringAgainCoversNewTablesAndKeepsTheGatePassword) {
    const std::string gate = store::gateRoleName(m_server->databaseName());
    auto verifier = [&] {
        std::vector<std::vector<std::string>> rows;
        EXPECT_TRUE(
            m_server->execute("SELECT rolpassword FROM pg_authid WHERE rolname = $1", {gate}, &rows)
                .ok());
        return rows.empty() ? std::string() : rows[0][0];
    };
    const std::string before = verifier();
    ASSERT_FALSE(before.empty());
    storeMailServer("");
    // The outbox as a station of a newer version makes it in an older office.
    ASSERT_TRUE(m_server->execute("DROP TABLE \"OUTBOX\" CASCADE", {}).ok());
    ASSERT_TRUE(m_server->createTables({&Outbox::def()}).ok());
    const std::int32_t given = firstGivenBy("SUPERVISOR");
    {
        auto ben = connectAs("BEN", "ben-pw-1");
        ASSERT_TRUE(ben);
        EXPECT_FALSE(queueNotice(*ben, "SUPERVISOR", NoticeKind::Concluded, given, "BEN").ok());
    }
    std::string gatePassword;
    std::vector<std::pair<std::string, std::string>> once;
    ASSERT_TRUE(store::secureOffice(*m_server, allTables(), gatePassword, once).ok());
    EXPECT_TRUE(gatePassword.empty());
    EXPECT_TRUE(once.empty());
    EXPECT_EQ(verifier(), before);
    auto ben = connectAs("BEN", "ben-pw-1");
    ASSERT_TRUE(ben);
    bool queued = false;
    EXPECT_TRUE(queueNotice(*ben, "SUPERVISOR", NoticeKind::Concluded, given, "BEN", &queued).ok());
    EXPECT_TRUE(queued);
    EXPECT_FALSE(queueNotice(*ben, "SUPERVISOR", NoticeKind::Concluded, given, "CARLA").ok());
}

// A General User's new record is numbered above the rows hidden from him:
// numbered from what he sees, his add would take a number a hidden row holds.
TEST_F(ServerRolesTest, AGeneralUsersNewNumberIsAboveRowsHiddenFromHim) {
    auto ben = connectAs("BEN", "ben-pw-1");
    ASSERT_TRUE(ben);
    // A copy of an assignment hidden from him, with the highest number.
    std::vector<Assignment> his;
    ASSERT_TRUE(ben->readAll(key::ASS_NUMBER_KEY, store::all(), his).ok());
    std::set<std::int32_t> seen;
    for (const Assignment& a : his) seen.insert(a.ASSIGNNUMBER);
    const auto hiddenOne = std::find_if(m_all.begin(), m_all.end(), [&](const Assignment& a) {
        return seen.count(a.ASSIGNNUMBER) == 0;
    });
    ASSERT_NE(hiddenOne, m_all.end());
    Assignment hidden = *hiddenOne;
    hidden.ASSIGNNUMBER = 99999;
    ASSERT_TRUE(m_db->add(hidden).ok());
    for (const auto& [table, key] : {std::pair{&Assignment::def(), key::ASS_NUMBER_KEY},
                                     std::pair{&Reminder::def(), key::REM_REMINDERNUMBER_KEY},
                                     std::pair{&Person::def(), key::PEO_PERSONNUMBER_KEY}}) {
        std::int64_t his = 0, all = 0;
        ASSERT_TRUE(highestNumber(*ben, *table, key, his).ok()) << table->label;
        ASSERT_TRUE(highestNumber(*m_db, *table, key, all).ok()) << table->label;
        EXPECT_EQ(his, all) << table->label;
    }
    std::int64_t highest = 0;
    ASSERT_TRUE(highestNumber(*ben, Assignment::def(), key::ASS_NUMBER_KEY, highest).ok());
    EXPECT_EQ(highest, 99999);
}

// A General User's import on a secured server: the batch's bulk add goes
// through the row-level rules (which refuse a bulk copy) and stores his tasks.
TEST_F(ServerRolesTest, AGeneralUsersImportIsStoredThroughTheRowRules) {
    auto ben = connectAs("BEN", "ben-pw-1");
    ASSERT_TRUE(ben);
    Session session;
    session.GlobalUser = "BEN";
    std::vector<sync::ImportItem> items(3);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].source = static_cast<int>(i) + 1;
        items[i].name = "Imported " + std::to_string(i);
    }
    const std::int64_t before = static_cast<std::int64_t>(readAssignments().size());
    const sync::ImportReport report =
        sync::importAssignments(*ben, session, items, {}, kToday, 9 * kTicksPerHour);
    ASSERT_FALSE(report.failed) << report.failure;
    EXPECT_EQ(report.created.size(), items.size());
    EXPECT_EQ(static_cast<std::int64_t>(readAssignments().size()), before + 3);
}

// Renaming, suspending and deleting a user take his role along, in the same
// transaction as his record; the log-in goes through the role.
TEST_F(ServerRolesTest, RoleFollowsTheUserRecord) {
    Session admin;
    admin.GlobalUser = "SUPERVISOR";
    admin.GlobalUserAccess = 2;
    UserEntry entry;
    ASSERT_TRUE(loadUser(*m_db, "BEN", entry.user, entry.rights).ok());
    const User original = entry.user;
    entry.user.USERNAME = "BENNY";
    ASSERT_TRUE(saveUser(*m_db, admin, Request::Change, entry, original, kToday, 0).ok());
    EXPECT_TRUE(connectAs("BENNY", "ben-pw-1"));
    EXPECT_FALSE(roleExists("BEN"));

    // The log-in window's path: wrong passwords suspend on the server.
    m_settings.ACCESSTRIES = 1;
    ASSERT_TRUE(m_db->change(m_settings).ok());
    auto station = test::openStation(m_source);
    ASSERT_TRUE(station);
    LoginAttempts attempts(*station);
    LoggedIn who;
    EXPECT_EQ(attempts.attempt("CARLA", "wrong-pw", who).text, kIncorrectPasswordText);
    EXPECT_EQ(attempts.attempt("CARLA", "wrong-pw", who).text, kTooManyFailuresText);
    bool noLogin = false;
    EXPECT_FALSE(connectAs("CARLA", "carla-pw-1", &noLogin));
    EXPECT_TRUE(noLogin);
    User carla;
    ASSERT_TRUE(m_db->fetch(key::USE_USERNAME_KEY, {std::string("CARLA")}, carla).ok());
    EXPECT_EQ(carla.FAILFLAG, 1);
    ASSERT_TRUE(unlockUser(*m_db, admin, "CARLA").ok());
    EXPECT_TRUE(connectAs("CARLA", "carla-pw-1"));

    const Outcome in = attempts.attempt("PADMIN", "padmin-pw-1", who);
    ASSERT_TRUE(in.ok()) << in.text;
    EXPECT_TRUE(who.mustChangePassword);
    // He changes the one-time password, as his own role: his record and his
    // role change together, and the mark goes.
    const PasswordChange changed = changePassword(*station, "PADMIN", "own-pw-22");
    ASSERT_TRUE(changed.ok) << changed.message;
    EXPECT_TRUE(connectAs("PADMIN", "own-pw-22"));
    auto next = test::openStation(m_source);
    ASSERT_TRUE(next);
    LoginAttempts again(*next);
    ASSERT_TRUE(again.attempt("PADMIN", "own-pw-22", who).ok());
    EXPECT_FALSE(who.mustChangePassword);
    EXPECT_EQ(dynamic_cast<store::PgEngine&>(station->engine()).sessionRole(),
              store::userRoleName(m_server->databaseName(), "PADMIN"));

    ASSERT_TRUE(loadUser(*m_db, "CARLA", carla, entry.rights).ok());
    ASSERT_TRUE(deleteUser(*m_db, admin, carla, "SUPERVISOR", kToday).ok());
    EXPECT_FALSE(roleExists("CARLA"));
}

// The closing backup needs every row: a General User's role, which reads only
// his share, leaves it due; a System Administrator's station makes it whole.
TEST_F(ServerRolesTest, OnlyAStationThatSeesEveryRowMakesTheClosingBackup) {
    m_settings.BACKUPHOURS = 1;
    m_settings.BACKUPDATE = kToday - 2;
    ASSERT_TRUE(m_db->change(m_settings).ok());
    for (const auto& [user, password, made] :
         {std::tuple{"BEN", "ben-pw-1", false}, std::tuple{"SUPERVISOR", "super-pw-1", true}}) {
        auto station = connectAs(user, password);
        ASSERT_TRUE(station);
        test::TempDir folder;
        const BackupResult result = closingBackup(*station, folder.path(), kToday, 0);
        EXPECT_EQ(result.madeBackup, made) << user << ": " << result.copyError;
        EXPECT_TRUE(result.copyError.empty()) << user << ": " << result.copyError;
        Status status;
        auto copy = openBackupPair(folder.path(), "BK1", status);
        EXPECT_EQ(copy != nullptr, made) << user << ": " << status.describe();
        if (!copy) continue;
        // Every assignment, with the confidential comments a whole copy keeps.
        std::vector<Assignment> copied;
        ASSERT_TRUE(copy->readAll(key::ASS_NUMBER_KEY, store::all(), copied).ok());
        ASSERT_EQ(copied.size(), m_all.size());
        EXPECT_EQ(store::rtrim(copied.front().CONFMEMO), "secret");
    }
}

}  // namespace
}  // namespace tko
