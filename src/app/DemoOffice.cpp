#include "app/DemoOffice.h"

#include "app/FirstRun.h"
#include "assign/AssignmentRules.h"
#include "data/Numbering.h"
#include "data/Password.h"
#include "people/Anniversaries.h"
#include "platform/Date.h"

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
        if (!check(addNumbered(m_db, p, &Person::PERSONNUMBER, "PEO:PERSONNUMBER_KEY"), "PEOPLE"))
            return false;
        ++m_summary.people;
        return true;
    }

    bool assignment(Assignment& a) {
        a.ASSIGNEDDATE = a.ASSIGNEDDATE ? a.ASSIGNEDDATE : Clock::today() - 10;
        a.LOG = logLine("Created", a.USERNAME, a.ASSIGNEDDATE, fromHms(9, 0));
        if (!check(addNumbered(m_db, a, &Assignment::ASSIGNNUMBER, "ASS:NUMBER_KEY"), "ASSIGNMENT"))
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
        if (!check(addNumbered(m_db, r, &Reminder::REMINDNUMBER, "REM:REMINDERNUMBER_KEY"),
                   "REMINDER"))
            return false;
        ++m_summary.reminders;
        return true;
    }

    Person fetchPerson(const std::string& shortName) {
        Person p;
        m_db.fetch("PEO:SHORT_KEY", {shortName}, p);
        return p;
    }

private:
    Database& m_db;
    DemoSummary& m_summary;
};

Assignment make(const Person& to, const std::string& by, const std::string& name, Date due,
                int priority) {
    Assignment a;
    a.PERSONNUMBER = to.PERSONNUMBER;
    a.PERSON = to.SHORTNAME;
    a.USERNAME = by;
    a.NAME = name;
    a.DUEDATE = due;
    a.PRIORITY = static_cast<std::uint8_t>(priority);
    a.REPEATTYPE = "No Repeats";
    a.SEEN = by == to.SHORTNAME ? 1 : 0;
    return a;
}

}  // namespace

DemoSummary createDemoOffice(Database& db, const std::string& allUsersName) {
    DemoSummary summary;
    std::int64_t existing = 0;
    if (!db.count<Assignment>(store::all(), existing).ok()) {
        summary.error = "ASSIGNMENT: " + db.lastError().describe();
        return summary;
    }
    if (existing > 0) {
        summary.error =
            "The data directory already holds assignments; a demo office is only made in an empty "
            "one.";
        return summary;
    }
    SystemPref sys;
    for (const StartupResult& r :
         {ensureSystemPref(db, sys), ensureFirstAccount(db, allUsersName)}) {
        if (!r.ok) {
            summary.error = r.error;
            return summary;
        }
    }
    if (!db.begin({"USERS", "PEOPLE", "USERPREF", "ASSIGNMENT", "REMINDER", "ANNIVERS", "PEOUSER",
                   "GROUPNAME", "GROUPPEOPLE", "PROJECT", "PROJASSGN", "USERASSGN", "USERVIEW",
                   "USGRPUSERS"},
                  10000)
             .ok()) {
        summary.error = "begin: " + db.lastError().describe();
        return summary;
    }
    Builder b(db, summary);
    auto fail = [&]() {
        db.rollback();
        summary.ok = false;
        summary.logins.clear();
        return summary;
    };

    // The supervisor gets a demo password, so that the demo starts without the
    // forced change of the built-in one.
    User supervisor;
    if (!b.check(db.fetch("USE:USERNAME_KEY", {std::string(kFirstUserName)}, supervisor), "USERS"))
        return fail();
    supervisor.PASSWORD = hashPassword(kSupervisorDemoPassword);
    supervisor.LASTNAME = "Visor";
    supervisor.FIRSTNAME = "Super";
    supervisor.DEPARTMENT = "Administration";
    if (!b.check(db.change(supervisor), "USERS")) return fail();
    summary.logins.push_back({kFirstUserName, kSupervisorDemoPassword, "System Administrator"});

    for (const DemoUser& u : kUsers) {
        if (!b.user(u)) return fail();
        UserGroupUser member;
        member.GROUP = allUsersName;
        member.USERNAME = u.name;
        if (!b.check(db.add(member), "USGRPUSERS")) return fail();
        summary.logins.push_back({u.name, kDemoPassword, u.role});
    }
    // Ben may give work to Carla and see hers.
    UserAssign grant{"CARLA", "BEN"};
    UserView view{"CARLA", "BEN"};
    if (!b.check(db.add(grant), "USERASSGN") || !b.check(db.add(view), "USERVIEW")) return fail();

    // People of the other three types.
    struct Contact {
        const char* shortName;
        const char* type;
        const char* owner;
        const char* last;
        const char* first;
        const char* org;
        const char* phone;
    };
    const Contact contacts[] = {
        {"PRINTSHOP", "Open", "ANNA", "Keller", "Tom", "Keller Print & Copy", "555-0199"},
        {"TAXADVISOR", "Open", "ANNA", "Novak", "Eva", "Novak Tax Advisers", "555-0142"},
        {"DENTIST", "Private", "BEN", "Haas", "Dr. Lena", "Smile Dental", "555-0177"},
        {"LAWYER", "Limited", "CARLA", "Ferreira", "Jo", "Ferreira Legal", "555-0123"},
    };
    for (const Contact& c : contacts) {
        Person p;
        p.SHORTNAME = c.shortName;
        p.TYPE = c.type;
        p.USER = c.owner;
        p.LASTNAME = c.last;
        p.FIRSTNAME = c.first;
        p.ORGANIZATION = c.org;
        p.PHONENUMBER = c.phone;
        if (!b.person(p)) return fail();
        if (std::string(c.type) == "Limited") {
            for (const char* who : {"CARLA", "ANNA"}) {
                PeoUser pu{p.PERSONNUMBER, who};
                if (!b.check(db.add(pu), "PEOUSER")) return fail();
            }
        }
    }

    const Date today = Clock::today();
    const std::string sup = kFirstUserName;
    const Person anna = b.fetchPerson("ANNA"), ben = b.fetchPerson("BEN"),
                 carla = b.fetchPerson("CARLA"), self = b.fetchPerson(sup);

    Assignment a1 = make(ben, sup, "Prepare the quarterly sales figures", today, 2);
    a1.GENERALMEMO = "Use the new spreadsheet template on the shared drive.";
    Assignment a2 = make(carla, sup, "Pay the office rent", today - 2, 1);
    a2.REPEATTYPE = "Months after Last Due";
    a2.REPNUMBER = 1;
    Assignment a3 = make(anna, sup, "Order printer paper", today + 3, 5);
    a3.REPEATTYPE = "Weeks after Last Due";
    a3.REPNUMBER = 2;
    Assignment a4 = make(ben, "CARLA", "Send the invoice reminders", today + 1, 3);
    a4.REPEATTYPE = "Set Weekdays";
    a4.SETDAYREPT = {0, 1, 0, 0, 0, 1, 0};
    Assignment a5 = make(carla, "BEN", "Check the travel expenses", today + 7, 4);
    a5.REPEATTYPE = "Specific Weekday";
    a5.WEEKINMONTH = "Last";
    a5.DAYNO = 5;
    a5.WEEKDAY = "Friday";
    Assignment a6 = make(self, sup, "Review the backup settings", today - 1, 6);
    Assignment a7 = make(anna, sup, "Water the plants", today, 9);
    a7.SECONDARY = 1;
    a7.REPEATTYPE = "Days after Concluded";
    a7.REPNUMBER = 3;
    Assignment a8 = make(ben, "ANNA", "Update the customer list", today - 20, 4);
    a8.CLOSEDATE = today - 5;
    a8.SEEN = 1;
    Assignment a9 = make(carla, "ANNA", "Renew the insurance policy", today + 30, 2);
    a9.REPEATTYPE = "Months after Concluded";
    a9.REPNUMBER = 12;
    a9.ASSIGNEECONCLUDE = 1;
    Assignment a10 = make(anna, "BEN", "Book the meeting room", today + 2, 7);
    a10.REPEATTYPE = "Days after Last Due";
    a10.REPNUMBER = 14;
    Assignment a11 = make(carla, sup, "Clean out the fridge", today + 4, 8);
    a11.REPEATTYPE = "Weeks after Concluded";
    a11.REPNUMBER = 1;
    Assignment a12 = make(ben, "CARLA", "Plan the team meeting", today + 10, 3);
    a12.REPEATTYPE = "Specific Weekday";
    a12.WEEKINMONTH = "1st";
    a12.DAYNO = 1;
    a12.WEEKDAY = "Monday";
    for (Assignment* a : {&a1, &a2, &a3, &a4, &a5, &a6, &a7, &a8, &a9, &a10, &a11, &a12})
        if (!b.assignment(*a)) return fail();
    if (!b.reminder(a1, today, "Ask Ben for the draft", sup) ||
        !b.reminder(a2, today - 3, "Transfer must leave today", sup) ||
        !b.reminder(a9, today + 20, "Compare offers", "ANNA") ||
        !b.reminder(a5, today + 6, "Collect the receipts first", "BEN") ||
        !b.reminder(a11, today + 3, "Bin bags are in the cupboard", sup) ||
        !b.reminder(a12, today + 8, "Book the room", "CARLA"))
        return fail();

    // An anniversary, a group list and a project.
    Anniversary ann;
    ann.DATE = fromYmd(1990, 6, 15);
    ann.NOTE = "Birthday";
    ann.SHORTNAME = carla.SHORTNAME;
    ann.NUMBER = carla.PERSONNUMBER;
    ann.DAYOFYEAR = static_cast<std::int16_t>(anniversaryDayValue(ann.DATE));
    if (!b.check(db.add(ann), "ANNIVERS")) return fail();

    GroupName group;
    group.GROUPNAME = "Front office";
    group.USER = sup;
    if (!b.check(addNumbered(db, group, &GroupName::GROUPNUMBER, "GRO:AUTONUMBER_KEY"),
                 "GROUPNAME"))
        return fail();
    for (const Person* p : {&anna, &ben}) {
        GroupPeople member{group.GROUPNAME, group.GROUPNUMBER, p->SHORTNAME, p->PERSONNUMBER};
        if (!b.check(db.add(member), "GROUPPEOPLE")) return fail();
    }

    Project project;
    project.NAME = "Office move";
    project.USER = sup;
    project.TYPE = "Open";
    project.NOTE = "Everything for the move to the new floor.";
    if (!b.check(addNumbered(db, project, &Project::PROJNUMBER, "PRO:AUTONUMBER_KEY"), "PROJECT"))
        return fail();
    for (const Assignment* a : {&a3, &a10}) {
        ProjAssign link{project.NAME, project.PROJNUMBER, a->ASSIGNNUMBER, sup};
        if (!b.check(db.add(link), "PROJASSGN")) return fail();
    }

    if (!b.check(db.commit(), "commit")) return fail();
    summary.ok = true;
    return summary;
}

}  // namespace tko
