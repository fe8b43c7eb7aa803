#include "app/DemoOffice.h"

#include <vector>

#include "app/FirstRun.h"
#include "assign/AssignmentRules.h"
#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Password.h"
#include "people/Anniversaries.h"
#include "platform/Date.h"
#include "users/UserGroups.h"

namespace tko {
namespace {

struct DemoUser {
    const char* name;
    const char* last;
    const char* first;
    const char* department;
    int access;
    const char* role;
};

constexpr DemoUser kUsers[] = {
    {"ANNA", "Berger", "Anna", "Office management", 1, "People Administrator"},
    {"BEN", "Okafor", "Ben", "Sales", 0, "General User"},
    {"CARLA", "Mendes", "Carla", "Accounts", 0, "General User"},
};
constexpr const char* kDemoPassword = "demo1";
constexpr const char* kSupervisorDemoPassword = "super1";

class Builder {
public:
    Builder(Database& db, DemoSummary& summary) : m_db(db), m_summary(summary) {}

    bool check(const Status& s, const std::string& what) {
        if (s.ok()) return true;
        m_summary.error = what + ": " + m_db.lastError().describe();
        return false;
    }

    bool user(const DemoUser& u) {
        User rec;
        rec.USERNAME = u.name;
        rec.LASTNAME = u.last;
        rec.FIRSTNAME = u.first;
        rec.DEPARTMENT = u.department;
        rec.PASSWORD = hashPassword(kDemoPassword);
        rec.ACCESSLEVEL = static_cast<std::uint8_t>(u.access);
        rec.CHANGENAME = kFirstUserName;
        rec.DATECHANGED = Clock::today();
        rec.TIMECHANGED = Clock::now();
        if (!check(m_db.add(rec), "USERS")) return false;
        UserPref pref = defaultUserPref(u.name);
        if (!check(m_db.add(pref), "USERPREF")) return false;
        Person p;
        p.SHORTNAME = u.name;
        p.USER = u.name;
        p.TYPE = "User";
        p.LASTNAME = u.last;
        p.FIRSTNAME = u.first;
        p.ORGANIZATION = "Demo Office";
        p.POSITIONHELD = u.department;
        p.PHONENUMBER = std::string("555-01") + std::to_string(10 + m_summary.people);
        p.EMAIL = std::string(u.first) + "@demo-office.example";
        return person(p);
    }

    bool person(Person& p) {
        if (!check(addNumbered(m_db, p, &Person::PERSONNUMBER, key::PEO_PERSONNUMBER_KEY),
                   "PEOPLE"))
            return false;
        ++m_summary.people;
        return true;
    }

    bool assignment(Assignment& a) {
        a.ASSIGNEDDATE = a.ASSIGNEDDATE ? a.ASSIGNEDDATE : Clock::today() - 10;
        a.LOG = logLine("Created", a.USERNAME, a.ASSIGNEDDATE, fromHms(9, 0));
        if (!check(addNumbered(m_db, a, &Assignment::ASSIGNNUMBER, key::ASS_NUMBER_KEY),
                   "ASSIGNMENT"))
            return false;
        ++m_summary.assignments;
        return true;
    }

    bool reminder(const Assignment& a, Date date, const std::string& note,
                  const std::string& user) {
        Reminder r;
        r.DATE = date;
        r.NOTE = note;
        r.ASSIGNNUMBER = a.ASSIGNNUMBER;
        r.PERSON = a.PERSON;
        r.ALARMFLAG = 1;
        r.USER = user;
        if (!check(addNumbered(m_db, r, &Reminder::REMINDNUMBER, key::REM_REMINDERNUMBER_KEY),
                   "REMINDER"))
            return false;
        ++m_summary.reminders;
        return true;
    }

    Person fetchPerson(const std::string& shortName) {
        Person p;
        m_db.fetch(key::PEO_SHORT_KEY, {shortName}, p);
        return p;
    }

private:
    Database& m_db;
    DemoSummary& m_summary;
};

// People of the other three types; the Limited one is seen by CARLA and ANNA.
struct DemoContact {
    const char* shortName;
    const char* type;
    const char* owner;
    const char* last;
    const char* first;
    const char* org;
    const char* phone;
};

constexpr DemoContact kContacts[] = {
    {"PRINTSHOP", "Open", "ANNA", "Keller", "Tom", "Keller Print & Copy", "555-0199"},
    {"TAXADVISOR", "Open", "ANNA", "Novak", "Eva", "Novak Tax Advisers", "555-0142"},
    {"DENTIST", "Private", "BEN", "Haas", "Dr. Lena", "Smile Dental", "555-0177"},
    {"LAWYER", "Limited", "CARLA", "Ferreira", "Jo", "Ferreira Legal", "555-0123"},
};
constexpr const char* kLimitedViewers[] = {"CARLA", "ANNA"};

// The demo's assignments, numbered in this order. A null person or user is
// the supervisor; days count from today.
struct DemoAssignment {
    const char* to;
    const char* by;
    const char* name;
    int dueDays;
    int priority;
    const char* repeatType = "No Repeats";
    int repNumber = 0;
    const char* weekdays = nullptr;  // "0100010": Monday and Friday
    const char* weekInMonth = "";
    int dayNo = 0;
    const char* weekday = "";
    bool secondary = false;
    int closedDaysAgo = 0;  // concluded that many days ago (0: open)
    bool assigneeConcludes = false;
    const char* generalMemo = "";
};

const DemoAssignment kAssignments[] = {
    {"BEN", nullptr, "Prepare the quarterly sales figures", 0, 2, "No Repeats", 0, nullptr, "", 0,
     "", false, 0, false, "Use the new spreadsheet template on the shared drive."},
    {"CARLA", nullptr, "Pay the office rent", -2, 1, "Months after Last Due", 1},
    {"ANNA", nullptr, "Order printer paper", 3, 5, "Weeks after Last Due", 2},
    {"BEN", "CARLA", "Send the invoice reminders", 1, 3, "Set Weekdays", 0, "0100010"},
    {"CARLA", "BEN", "Check the travel expenses", 7, 4, "Specific Weekday", 0, nullptr, "Last", 5,
     "Friday"},
    {nullptr, nullptr, "Review the backup settings", -1, 6},
    {"ANNA", nullptr, "Water the plants", 0, 9, "Days after Concluded", 3, nullptr, "", 0, "",
     true},
    {"BEN", "ANNA", "Update the customer list", -20, 4, "No Repeats", 0, nullptr, "", 0, "", false,
     5},
    {"CARLA", "ANNA", "Renew the insurance policy", 30, 2, "Months after Concluded", 12, nullptr,
     "", 0, "", false, 0, true},
    {"ANNA", "BEN", "Book the meeting room", 2, 7, "Days after Last Due", 14},
    {"CARLA", nullptr, "Clean out the fridge", 4, 8, "Weeks after Concluded", 1},
    {"BEN", "CARLA", "Plan the team meeting", 10, 3, "Specific Weekday", 0, nullptr, "1st", 1,
     "Monday"},
};

// Reminders: the index of their assignment in kAssignments, the day and note,
// the owning user (null: the supervisor).
struct DemoReminder {
    int assignment;
    int days;
    const char* note;
    const char* user;
};

constexpr DemoReminder kReminders[] = {
    {0, 0, "Ask Ben for the draft", nullptr},
    {1, -3, "Transfer must leave today", nullptr},
    {8, 20, "Compare offers", "ANNA"},
    {4, 6, "Collect the receipts first", "BEN"},
    {10, 3, "Bin bags are in the cupboard", nullptr},
    {11, 8, "Book the room", "CARLA"},
};

// The group lists: the supervisor's, and one of a General User's own, so
// that the Group screens show work for either kind of log-in.
struct DemoGroup {
    const char* name;
    const char* owner;  // nullptr: the supervisor
    std::vector<const char*> members;
};
const DemoGroup kDemoGroups[] = {
    {"Front office", nullptr, {"ANNA", "BEN"}},
    {"Ben's team", "BEN", {"BEN", "CARLA"}},
};

// The project's assignments (indices into kAssignments).
constexpr int kOfficeMoveAssignments[] = {2, 9};

std::string orSupervisor(const char* name) {
    return name ? name : kFirstUserName;
}

Assignment make(const Person& to, const DemoAssignment& d, Date today) {
    Assignment a;
    a.PERSONNUMBER = to.PERSONNUMBER;
    a.PERSON = to.SHORTNAME;
    a.USERNAME = orSupervisor(d.by);
    a.NAME = d.name;
    a.DUEDATE = today + d.dueDays;
    a.PRIORITY = static_cast<std::uint8_t>(d.priority);
    a.REPEATTYPE = d.repeatType;
    a.REPNUMBER = static_cast<std::int16_t>(d.repNumber);
    if (d.weekdays)
        for (size_t day = 0; day < a.SETDAYREPT.size(); ++day)
            a.SETDAYREPT[day] = d.weekdays[day] == '1' ? 1 : 0;
    a.WEEKINMONTH = d.weekInMonth;
    a.DAYNO = static_cast<std::uint8_t>(d.dayNo);
    a.WEEKDAY = d.weekday;
    a.SECONDARY = d.secondary ? 1 : 0;
    a.ASSIGNEECONCLUDE = d.assigneeConcludes ? 1 : 0;
    a.GENERALMEMO = d.generalMemo;
    a.SEEN = a.USERNAME == to.SHORTNAME ? 1 : 0;
    if (d.closedDaysAgo > 0) {
        a.CLOSEDATE = today - d.closedDaysAgo;
        a.SEEN = 1;
    }
    return a;
}

// Refuses a data set that already holds assignments and makes sure of the
// system settings and the first account; "" when the demo may be built.
std::string readyForDemo(Database& db) {
    std::int64_t existing = 0;
    if (!db.count<Assignment>(store::all(), existing).ok())
        return "ASSIGNMENT: " + db.lastError().describe();
    if (existing > 0)
        return "The data directory already holds assignments; a demo office is only made in an "
               "empty one.";
    SystemPref sys;
    for (const StartupResult& r : {ensureSystemPref(db, sys), ensureFirstAccount(db)})
        if (!r.ok) return r.error;
    return {};
}

// The supervisor gets a demo password, so that the demo starts without the
// forced change of the built-in one.
bool demoSupervisor(Database& db, Builder& b, DemoSummary& summary) {
    User supervisor;
    if (!b.check(db.fetch(key::USE_USERNAME_KEY, {std::string(kFirstUserName)}, supervisor),
                 "USERS"))
        return false;
    supervisor.PASSWORD = hashPassword(kSupervisorDemoPassword);
    supervisor.LASTNAME = "Visor";
    supervisor.FIRSTNAME = "Super";
    supervisor.DEPARTMENT = "Administration";
    if (!b.check(db.change(supervisor), "USERS")) return false;
    summary.logins.push_back({kFirstUserName, kSupervisorDemoPassword, "System Administrator"});
    return true;
}

// The users, all in the "All users" group; Ben may give work to Carla and see hers.
bool demoUsers(Database& db, Builder& b, DemoSummary& summary) {
    for (const DemoUser& u : kUsers) {
        if (!b.user(u)) return false;
        UserGroupUser member;
        member.GROUP = kAllUsersGroup;
        member.USERNAME = u.name;
        if (!b.check(db.add(member), "USGRPUSERS")) return false;
        summary.logins.push_back({u.name, kDemoPassword, u.role});
    }
    UserAssign grant{"CARLA", "BEN"};
    UserView view{"CARLA", "BEN"};
    return b.check(db.add(grant), "USERASSGN") && b.check(db.add(view), "USERVIEW");
}

bool demoContacts(Database& db, Builder& b) {
    for (const DemoContact& c : kContacts) {
        Person p;
        p.SHORTNAME = c.shortName;
        p.TYPE = c.type;
        p.USER = c.owner;
        p.LASTNAME = c.last;
        p.FIRSTNAME = c.first;
        p.ORGANIZATION = c.org;
        p.PHONENUMBER = c.phone;
        if (!b.person(p)) return false;
        if (std::string(c.type) != "Limited") continue;
        for (const char* who : kLimitedViewers) {
            PeoUser pu{p.PERSONNUMBER, who};
            if (!b.check(db.add(pu), "PEOUSER")) return false;
        }
    }
    return true;
}

bool demoAssignments(Builder& b, Date today, std::vector<Assignment>& added) {
    for (const DemoAssignment& d : kAssignments) {
        added.push_back(make(b.fetchPerson(orSupervisor(d.to)), d, today));
        if (!b.assignment(added.back())) return false;
    }
    for (const DemoReminder& r : kReminders)
        if (!b.reminder(added.at(static_cast<size_t>(r.assignment)), today + r.days, r.note,
                        orSupervisor(r.user)))
            return false;
    return true;
}

// An anniversary, a group list and a project.
bool demoExtras(Database& db, Builder& b, const std::vector<Assignment>& added) {
    const Person carla = b.fetchPerson("CARLA");
    Anniversary ann;
    ann.DATE = fromYmd(1990, 6, 15);
    ann.NOTE = "Birthday";
    ann.SHORTNAME = carla.SHORTNAME;
    ann.NUMBER = carla.PERSONNUMBER;
    ann.DAYOFYEAR = static_cast<std::int16_t>(anniversaryDayValue(ann.DATE));
    if (!b.check(db.add(ann), "ANNIVERS")) return false;

    const std::string sup = kFirstUserName;
    for (const DemoGroup& g : kDemoGroups) {
        GroupName group;
        group.GROUPNAME = g.name;
        group.USER = orSupervisor(g.owner);
        if (!b.check(addNumbered(db, group, &GroupName::GROUPNUMBER, key::GRO_AUTONUMBER_KEY),
                     "GROUPNAME"))
            return false;
        for (const char* name : g.members) {
            const Person p = b.fetchPerson(name);
            GroupPeople member{group.GROUPNAME, group.GROUPNUMBER, p.SHORTNAME, p.PERSONNUMBER};
            if (!b.check(db.add(member), "GROUPPEOPLE")) return false;
        }
    }

    Project project;
    project.NAME = "Office move";
    project.USER = sup;
    project.TYPE = "Open";
    project.NOTE = "Everything for the move to the new floor.";
    if (!b.check(addNumbered(db, project, &Project::PROJNUMBER, key::PRO_AUTONUMBER_KEY),
                 "PROJECT"))
        return false;
    for (int index : kOfficeMoveAssignments) {
        ProjAssign link{project.NAME, project.PROJNUMBER,
                        added.at(static_cast<size_t>(index)).ASSIGNNUMBER, sup};
        if (!b.check(db.add(link), "PROJASSGN")) return false;
    }
    return true;
}

}  // namespace

DemoSummary createDemoOffice(Database& db) {
    DemoSummary summary;
    summary.error = readyForDemo(db);
    if (!summary.error.empty()) return summary;
    if (!db.begin({"USERS", "PEOPLE", "USERPREF", "ASSIGNMENT", "REMINDER", "ANNIVERS", "PEOUSER",
                   "GROUPNAME", "GROUPPEOPLE", "PROJECT", "PROJASSGN", "USERASSGN", "USERVIEW",
                   "USGRPUSERS"},
                  10000)
             .ok()) {
        summary.error = "begin: " + db.lastError().describe();
        return summary;
    }
    Builder b(db, summary);
    std::vector<Assignment> added;
    const bool built = demoSupervisor(db, b, summary) && demoUsers(db, b, summary) &&
                       demoContacts(db, b) && demoAssignments(b, Clock::today(), added) &&
                       demoExtras(db, b, added) && b.check(db.commit(), "commit");
    if (!built) {
        db.rollback();
        summary.logins.clear();
        return summary;
    }
    summary.ok = true;
    return summary;
}

}  // namespace tko
