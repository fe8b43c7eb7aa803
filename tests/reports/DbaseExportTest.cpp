// The dBase export on the store: every file read back with shapelib and with
// an independent reader, field by field against the source records; the
// rights; repeated and failing runs; empty tables and wide numbers.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <shapefil.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "reports/DbaseExport.h"
#include "support/TestStore.h"

namespace tko {
namespace {

namespace fs = std::filesystem;

Session sessionOf(const std::string& user, int access) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

std::string isoDate(Date date) {
    const Ymd d = toYmd(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

// One field of a file as shapelib sees it: header and the raw bytes of a record.
struct ShpField {
    std::string name;
    char type = 0;
    int width = 0;
    int offset = 0;
};

struct ShpFile {
    std::vector<ShpField> fields;
    std::vector<std::string> tuples;  // raw records, deletion flag first
    int codePage = -1;

    // The exact text of field `name` in record `row`.
    std::string value(int row, const std::string& name) const {
        for (const ShpField& f : fields)
            if (f.name == name)
                return tuples[static_cast<size_t>(row)].substr(static_cast<size_t>(f.offset),
                                                               static_cast<size_t>(f.width));
        ADD_FAILURE() << "no field " << name;
        return {};
    }
};

ShpFile readWithShapelib(const std::string& path) {
    ShpFile file;
    DBFHandle h = DBFOpen(path.c_str(), "rb");
    if (!h) {
        ADD_FAILURE() << "shapelib cannot open " << path;
        return file;
    }
    int offset = 1;
    for (int i = 0; i < DBFGetFieldCount(h); ++i) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(h, i, name, &width, &decimals);
        file.fields.push_back({name, DBFGetNativeFieldType(h, i), width, offset});
        offset += width;
    }
    for (int r = 0; r < DBFGetRecordCount(h); ++r)
        file.tuples.emplace_back(DBFReadTuple(h, r), static_cast<size_t>(offset));
    file.codePage = h->iLanguageDriver;
    DBFClose(h);
    return file;
}

// Every file through the independent reader, as JSON keyed by path.
QJsonObject readWithDbfread(const std::vector<std::string>& paths) {
    QStringList args{QStringLiteral(TKO_TEST_SOURCE_DIR "/reports/read_dbf.py")};
    for (const std::string& p : paths) args << QString::fromStdString(p);
    QProcess python;
    python.start(QStringLiteral(TKO_SYSTEM_PYTHON), args);
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

class DbaseExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = test::openStation(test::freshSource(m_dir));
        ASSERT_TRUE(m_db);
        m_out = m_dir.path() + "/out";
        fs::create_directories(m_out);
    }

    std::string out(const std::string& name) const { return m_out + "/" + name; }

    void fillOffice() {
        Assignment a;
        a.ASSIGNNUMBER = 1;
        a.PERSONNUMBER = 7;
        a.NAME = "Café accounts: € budget";  // all within code page 1252
        a.DUEDATE = fromYmd(2026, 12, 8);
        a.PERSON = "BEN";
        a.USERNAME = "SUPERVISOR";
        a.SEEN = 0;  // never seen
        a.ASSIGNEDDATE = fromYmd(2026, 1, 31);
        a.PRIORITY = 3;
        a.SECONDARY = 0;
        a.ASSIGNEECONCLUDE = 1;
        a.REPEATTYPE = "Set Weekdays";
        a.SETDAYREPT = {0, 1, 0, 1, 0, 0, 0};
        a.GENERALMEMO = "not exported";
        ASSERT_TRUE(m_db->add(a).ok());
        m_assignments.push_back(a);

        Assignment b;
        b.ASSIGNNUMBER = 12345678;  // more than seven digits
        b.PERSONNUMBER = 2;
        b.NAME = "Quarterly report";
        b.PERSON = "ANNA";
        b.USERNAME = "BEN";
        b.SEEN = 1;
        b.SECONDARY = 1;
        b.DUEDATE = fromYmd(1801, 1, 1);
        b.CLOSEDATE = fromYmd(2099, 12, 31);
        b.PREVCLOSE = fromYmd(2026, 2, 28);
        b.PREVDUE = fromYmd(2026, 2, 1);
        b.PRIORITY = 9;
        b.REPEATTYPE = "Specific Weekday";
        b.REPNUMBER = 120;
        b.WEEKDAY = "Tuesday";
        b.DAYNO = 2;
        b.WEEKINMONTH = "Last";
        ASSERT_TRUE(m_db->add(b).ok());
        m_assignments.push_back(b);

        Person p;
        p.SHORTNAME = "ANNA";
        p.PERSONNUMBER = 2;
        p.USER = "SUPERVISOR";
        p.TYPE = "Limited";
        p.LASTNAME = "Øster";
        p.FIRSTNAME = "Anna";
        p.POSITIONHELD = "Head of accounts";
        p.ORGANIZATION = "Orbit Ltd";
        p.PHONENUMBER = std::string(100, '5');
        p.FAXNUMBER = "+44 20 7946 0000";
        p.EMAIL = "anna@example.org";
        p.DATE = fromYmd(1990, 5, 17);
        p.CONFCOMMENTS = "secret";
        ASSERT_TRUE(m_db->add(p).ok());

        PeoUser pu;
        pu.PERSONNUMBER = 2;
        pu.USER = "BEN";
        ASSERT_TRUE(m_db->add(pu).ok());

        User u;
        u.USERNAME = "SUPERVISOR";
        u.LASTNAME = "Visor";
        u.FIRSTNAME = "Super";
        u.DEPARTMENT = "Administration";
        u.PASSWORD = "$argon2id$not-in-the-export";
        u.ACCESSLEVEL = 2;
        ASSERT_TRUE(m_db->add(u).ok());

        UserAssign ua{"BEN", "SUPERVISOR"};
        ASSERT_TRUE(m_db->add(ua).ok());
        UserView uv{"ANNA", "BEN"};
        ASSERT_TRUE(m_db->add(uv).ok());

        GroupName g{"Accounts", 4, "SUPERVISOR"};
        ASSERT_TRUE(m_db->add(g).ok());
        GroupPeople gp{"Accounts", 4, "ANNA", 2};
        ASSERT_TRUE(m_db->add(gp).ok());

        Project pr;
        pr.NAME = "Year end";
        pr.PROJNUMBER = 3;
        pr.USER = "SUPERVISOR";
        pr.TYPE = "Open";
        ASSERT_TRUE(m_db->add(pr).ok());
        ProjUser pru{"Year end", 3, "BEN"};
        ASSERT_TRUE(m_db->add(pru).ok());
        ProjAssign pa{"Year end", 3, 12345678, "SUPERVISOR"};
        ASSERT_TRUE(m_db->add(pa).ok());

        Anniversary an;
        an.DATE = fromYmd(1990, 5, 17);
        an.NOTE = "Birthday";
        an.SHORTNAME = "ANNA";
        an.NUMBER = 2;
        an.DAYOFYEAR = 137;
        ASSERT_TRUE(m_db->add(an).ok());
    }

    DbaseExportResult exportAsAdmin() {
        return exportToDbase(*m_db, sessionOf("SUPERVISOR", 2), m_out);
    }

    test::TempDir m_dir;
    std::unique_ptr<Database> m_db;
    std::string m_out;
    std::vector<Assignment> m_assignments;
};

TEST_F(DbaseExportTest, EveryFileHasItsNameFieldsWidthsAndTypes) {
    Clock::setFixed(fromYmd(2026, 12, 9), fromHms(15, 0));
    const bool exported = exportAsAdmin().ok();
    Clock::useSystem();
    ASSERT_TRUE(exported);
    // The field lists as the export's own table says, checked against the
    // record lengths stated for the files (dates count 8 here).
    const std::map<std::string, int> recordLength{
        {"ASSIGNME.DBF",
         13 + 13 + 50 + 8 + 15 + 15 + 1 + 4 * 8 + 1 + 1 + 1 + 23 + 3 + 1 + 9 + 1 + 4},
        {"PEOPLE.DBF", 335 - 4 + 8},
        {"PEOUSER.DBF", 28},
        {"USERSDBF.dbf", 95},
        {"USERASSG.DBF", 30},
        {"USERVIEW.DBF", 30},
        {"GROUPNA.DBF", 48},
        {"GROUPPEO.DBF", 61},
        {"PROJECT.DBF", 65},
        {"PROJUSER.DBF", 58},
        {"PROJASSN.DBF", 71},
        {"ANNIVERS.DBF", 93}};
    ASSERT_EQ(dbaseTables().size(), 12u);
    for (const DbaseTable& table : dbaseTables()) {
        const std::string name = dbaseFileName(table);
        SCOPED_TRACE(name);
        ASSERT_TRUE(fs::exists(out(name)));
        const ShpFile file = readWithShapelib(out(name));
        ASSERT_EQ(file.fields.size(), table.fields.size());
        int length = 0;
        for (size_t i = 0; i < table.fields.size(); ++i) {
            const std::string label = table.fields[i].label;
            EXPECT_EQ(label.substr(0, 4), std::string(table.prefix) + ":");
            EXPECT_EQ(file.fields[i].name, label.substr(4));
            EXPECT_LE(file.fields[i].name.size(), 10u);
            const bool date = table.fields[i].value == DbaseValue::Date;
            EXPECT_EQ(file.fields[i].type, date ? 'D' : 'C') << label;
            EXPECT_EQ(file.fields[i].width, date ? 8 : table.fields[i].width) << label;
            length += file.fields[i].width;
        }
        EXPECT_EQ(length, recordLength.at(name));
        EXPECT_EQ(file.codePage, 0x57);
        // The header's last update is the day of the export (years since 1900).
        std::ifstream raw(out(name), std::ios::binary);
        char head[4] = {};
        ASSERT_TRUE(raw.read(head, 4));
        EXPECT_EQ((std::vector<int>{head[1], head[2], head[3]}), (std::vector<int>{126, 12, 9}));
    }
    // Nothing but the twelve files is left in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(m_out)) ++files;
    EXPECT_EQ(files, 12);
}

TEST_F(DbaseExportTest, AssignmentsReadBackFieldByFieldWithShapelib) {
    fillOffice();
    const DbaseExportResult result = exportAsAdmin();
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.adjustedValues, 0);
    const ShpFile file = readWithShapelib(out("ASSIGNME.DBF"));
    ASSERT_EQ(file.tuples.size(), 2u);
    // Stored order: the first record added comes first.
    EXPECT_EQ(file.tuples[0][0], ' ');
    EXPECT_EQ(file.value(0, "ASSIGNNO"), "      1      ");
    EXPECT_EQ(file.value(0, "PERSONNO"), "      7      ");
    // Code page 1252: é is 0xE9, € is 0x80, one byte each.
    EXPECT_EQ(file.value(0, "NAME"),
              std::string("Caf\xE9 accounts: \x80 budget") + std::string(50 - 23, ' '));
    EXPECT_EQ(file.value(0, "DUEDATE"), "20261208");
    EXPECT_EQ(file.value(0, "ASSIGNDATE"), "20260131");
    EXPECT_EQ(file.value(0, "CLOSEDATE"), "        ");  // no date: blank
    EXPECT_EQ(file.value(0, "SEEN"), "F");
    EXPECT_EQ(file.value(0, "SECONDARY"), "N");
    EXPECT_EQ(file.value(0, "ASSIGNCL"), "Y");
    EXPECT_EQ(file.value(0, "PRIORITY"), "3");
    EXPECT_EQ(file.value(0, "SETDAYREPT"), "Y");
    EXPECT_EQ(file.value(0, "WEEKDAY"), "NYNYNNN  ");  // Monday and Wednesday
    EXPECT_EQ(file.value(0, "REPNUMBER"), "  0");
    EXPECT_EQ(file.value(0, "REPEATTYPE"), "Set Weekdays" + std::string(11, ' '));

    // A number wider than seven digits is kept whole in its 13 characters.
    EXPECT_EQ(file.value(1, "ASSIGNNO"), "12345678     ");
    EXPECT_EQ(file.value(1, "SEEN"), "Y");
    EXPECT_EQ(file.value(1, "SECONDARY"), "Y");
    EXPECT_EQ(file.value(1, "ASSIGNCL"), "N");
    EXPECT_EQ(file.value(1, "DUEDATE"), "18010101");
    EXPECT_EQ(file.value(1, "CLOSEDATE"), "20991231");
    EXPECT_EQ(file.value(1, "PREVCLOSE"), "20260228");
    EXPECT_EQ(file.value(1, "PREVDUE"), "20260201");
    EXPECT_EQ(file.value(1, "SETDAYREPT"), "N");
    EXPECT_EQ(file.value(1, "WEEKDAY"), "NNNNNNN  ");
    EXPECT_EQ(file.value(1, "DAYNO"), "2");
    EXPECT_EQ(file.value(1, "WEEKMONTH"), "Last");
    EXPECT_EQ(file.value(1, "REPNUMBER"), "120");
}

TEST_F(DbaseExportTest, EveryFileReadsBackWithAnIndependentReader) {
    fillOffice();
    ASSERT_TRUE(exportAsAdmin().ok());
    std::vector<std::string> paths;
    for (const DbaseTable& table : dbaseTables()) paths.push_back(out(dbaseFileName(table)));
    const QJsonObject files = readWithDbfread(paths);
    ASSERT_EQ(files.size(), 12);
    auto records = [&](const char* name) {
        const QJsonObject file = files.value(QString::fromStdString(out(name))).toObject();
        EXPECT_EQ(file.value(QStringLiteral("encoding")).toString(), QStringLiteral("cp1252"));
        return file.value(QStringLiteral("records")).toArray();
    };
    auto text = [](const QJsonArray& rows, int row, const char* field) {
        const QJsonValue v = rows.at(row).toObject().value(QLatin1String(field));
        return v.isNull() ? std::string("<null>") : v.toString().toStdString();
    };

    const QJsonArray assignments = records("ASSIGNME.DBF");
    ASSERT_EQ(assignments.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const Assignment& a = m_assignments[static_cast<size_t>(i)];
        EXPECT_EQ(std::stol(text(assignments, i, "ASSIGNNO")), a.ASSIGNNUMBER);
        EXPECT_EQ(std::stol(text(assignments, i, "PERSONNO")), a.PERSONNUMBER);
        EXPECT_EQ(text(assignments, i, "NAME"), a.NAME);
        EXPECT_EQ(text(assignments, i, "DUEDATE"), isoDate(a.DUEDATE));
        EXPECT_EQ(text(assignments, i, "PERSON"), a.PERSON);
        EXPECT_EQ(text(assignments, i, "USERNAME"), a.USERNAME);
        EXPECT_EQ(text(assignments, i, "ASSIGNDATE"),
                  a.ASSIGNEDDATE ? isoDate(a.ASSIGNEDDATE) : "<null>");
        EXPECT_EQ(text(assignments, i, "CLOSEDATE"), a.CLOSEDATE ? isoDate(a.CLOSEDATE) : "<null>");
        EXPECT_EQ(text(assignments, i, "PRIORITY"), std::to_string(a.PRIORITY));
        EXPECT_EQ(text(assignments, i, "REPEATTYPE"), a.REPEATTYPE);
        EXPECT_EQ(std::stoi(text(assignments, i, "REPNUMBER")), a.REPNUMBER);
        EXPECT_EQ(std::stoi(text(assignments, i, "DAYNO")), a.DAYNO);
        EXPECT_EQ(text(assignments, i, "WEEKMONTH"), a.WEEKINMONTH);
    }
    EXPECT_FALSE(assignments.at(0).toObject().contains(QStringLiteral("GENERALMEMO")));

    const QJsonArray people = records("PEOPLE.DBF");
    ASSERT_EQ(people.size(), 1);
    EXPECT_EQ(text(people, 0, "SHORTNAME"), "ANNA");
    EXPECT_EQ(text(people, 0, "PERSONNO"), "      2");
    EXPECT_EQ(text(people, 0, "USER"), "SUPERVISOR");
    EXPECT_EQ(text(people, 0, "TYPE"), "Limited");
    EXPECT_EQ(text(people, 0, "LASTNAME"), "Øster");
    EXPECT_EQ(text(people, 0, "FIRSTNAME"), "Anna");
    EXPECT_EQ(text(people, 0, "POSITION"), "Head of accounts");
    EXPECT_EQ(text(people, 0, "ORGAN"), "Orbit Ltd");
    EXPECT_EQ(text(people, 0, "PHONENO"), std::string(100, '5'));  // the full width
    EXPECT_EQ(text(people, 0, "FAXNUMBER"), "+44 20 7946 0000");
    EXPECT_EQ(text(people, 0, "EMAIL"), "anna@example.org");
    EXPECT_EQ(text(people, 0, "DATE"), "1990-05-17");

    const QJsonArray users = records("USERSDBF.dbf");
    ASSERT_EQ(users.size(), 1);
    EXPECT_EQ(text(users, 0, "USERNAME"), "SUPERVISOR");
    EXPECT_EQ(text(users, 0, "LASTNAME"), "Visor");
    EXPECT_EQ(text(users, 0, "FIRSTNAME"), "Super");
    EXPECT_EQ(text(users, 0, "DEPARTMENT"), "Administration");
    EXPECT_EQ(users.at(0).toObject().size(), 4);  // no password

    const QJsonArray peoUser = records("PEOUSER.DBF");
    ASSERT_EQ(peoUser.size(), 1);
    EXPECT_EQ(text(peoUser, 0, "PERSONNO"), "      2");
    EXPECT_EQ(text(peoUser, 0, "USER"), "BEN");
    const QJsonArray userAssign = records("USERASSG.DBF");
    ASSERT_EQ(userAssign.size(), 1);
    EXPECT_EQ(text(userAssign, 0, "USERNAME"), "BEN");
    EXPECT_EQ(text(userAssign, 0, "USERNAME2"), "SUPERVISOR");
    const QJsonArray userView = records("USERVIEW.DBF");
    ASSERT_EQ(userView.size(), 1);
    EXPECT_EQ(text(userView, 0, "USERNAME"), "ANNA");
    EXPECT_EQ(text(userView, 0, "USERNAME2"), "BEN");
    const QJsonArray groups = records("GROUPNA.DBF");
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(text(groups, 0, "GROUPNAME"), "Accounts");
    EXPECT_EQ(text(groups, 0, "GROUPNO"), "      4");
    EXPECT_EQ(text(groups, 0, "USER"), "SUPERVISOR");
    const QJsonArray members = records("GROUPPEO.DBF");
    ASSERT_EQ(members.size(), 1);
    EXPECT_EQ(text(members, 0, "GROUPNAME"), "Accounts");
    EXPECT_EQ(text(members, 0, "SHORTNAME"), "ANNA");
    EXPECT_EQ(text(members, 0, "GROUPNO"), "      4");
    EXPECT_EQ(text(members, 0, "PERSONNO"), "      2");
    const QJsonArray projects = records("PROJECT.DBF");
    ASSERT_EQ(projects.size(), 1);
    EXPECT_EQ(text(projects, 0, "NAME"), "Year end");
    EXPECT_EQ(text(projects, 0, "PROJNUMBER"), "      3");
    EXPECT_EQ(text(projects, 0, "USER"), "SUPERVISOR");
    EXPECT_EQ(text(projects, 0, "TYPE"), "Open");
    const QJsonArray projUsers = records("PROJUSER.DBF");
    ASSERT_EQ(projUsers.size(), 1);
    EXPECT_EQ(text(projUsers, 0, "NAME"), "Year end");
    EXPECT_EQ(text(projUsers, 0, "PROJNUMBER"), "      3");
    EXPECT_EQ(text(projUsers, 0, "USER"), "BEN");
    const QJsonArray links = records("PROJASSN.DBF");
    ASSERT_EQ(links.size(), 1);
    EXPECT_EQ(text(links, 0, "NAME"), "Year end");
    EXPECT_EQ(text(links, 0, "PROJNUMBER"), "      3");
    EXPECT_EQ(text(links, 0, "ASSIGNNO"), "12345678");
    EXPECT_EQ(text(links, 0, "USER"), "SUPERVISOR");
    const QJsonArray anniversaries = records("ANNIVERS.DBF");
    ASSERT_EQ(anniversaries.size(), 1);
    EXPECT_EQ(text(anniversaries, 0, "DATE"), "19900517");
    EXPECT_EQ(text(anniversaries, 0, "NOTE"), "Birthday");
    EXPECT_EQ(text(anniversaries, 0, "SHORTNAME"), "ANNA");
    EXPECT_EQ(text(anniversaries, 0, "NUMBER"), "      2");
    EXPECT_EQ(text(anniversaries, 0, "DAYOFYEAR"), "137");
}

TEST_F(DbaseExportTest, CharactersOutsideTheCodePageAreReportedNotDropped) {
    Assignment a;
    a.ASSIGNNUMBER = 5;
    a.NAME = "Zapłata – Łódź";  // ł, Ł and ź are not in code page 1252; – is
    ASSERT_TRUE(m_db->add(a).ok());
    const DbaseExportResult result = exportAsAdmin();
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.adjustedValues, 1);
    ASSERT_EQ(result.adjusted.size(), 1u);
    EXPECT_EQ(result.adjusted[0], "ASSIGNME.DBF row 1 NAME: character replaced");
    const ShpFile file = readWithShapelib(out("ASSIGNME.DBF"));
    ASSERT_EQ(file.tuples.size(), 1u);
    // Every character keeps its place: nothing after a replaced one is lost.
    EXPECT_EQ(store::rtrim(file.value(0, "NAME")),
              "Zap?ata \x96 ?\xF3"
              "d?");
}

TEST_F(DbaseExportTest, RunningTwiceLeavesOneRowPerRecord) {
    fillOffice();
    ASSERT_TRUE(exportAsAdmin().ok());
    const DbaseExportResult second = exportAsAdmin();
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.rows[0], 2);
    EXPECT_EQ(readWithShapelib(out("ASSIGNME.DBF")).tuples.size(), 2u);
    EXPECT_EQ(readWithShapelib(out("ANNIVERS.DBF")).tuples.size(), 1u);
}

TEST_F(DbaseExportTest, AnEmptySourceGivesAnEmptyFileWithItsStructure) {
    ASSERT_TRUE(exportAsAdmin().ok());
    const ShpFile file = readWithShapelib(out("PROJASSN.DBF"));
    EXPECT_TRUE(file.tuples.empty());
    ASSERT_EQ(file.fields.size(), 4u);
    EXPECT_EQ(file.fields[2].name, "ASSIGNNO");
    const QJsonObject read = readWithDbfread({out("PROJASSN.DBF")});
    const QJsonObject info = read.value(QString::fromStdString(out("PROJASSN.DBF"))).toObject();
    EXPECT_EQ(info.value(QStringLiteral("records")).toArray().size(), 0);
    EXPECT_EQ(info.value(QStringLiteral("fields")).toArray().size(), 4);
}

TEST_F(DbaseExportTest, OnlySystemAdministratorsExport) {
    fillOffice();
    for (int access : {0, 1}) {
        const DbaseExportResult result = exportToDbase(
            *m_db, sessionOf("BEN", access), m_out,
            [](const DbaseProgress&) { ADD_FAILURE() << "a refused export must not start"; });
        EXPECT_EQ(result.kind, DbaseExportResult::NotPermitted);
    }
    EXPECT_TRUE(fs::is_empty(m_out));
}

TEST_F(DbaseExportTest, AFailedTableNamesItselfAndLeavesThePreviousExport) {
    fillOffice();
    ASSERT_TRUE(exportAsAdmin().ok());
    const auto before = fs::file_size(out("ASSIGNME.DBF"));
    // A folder where the people file's working copy must go makes its
    // creation fail after the assignments were written.
    fs::create_directory(out("~PEOPLE.dbf"));
    Assignment extra;
    extra.ASSIGNNUMBER = 99;
    ASSERT_TRUE(m_db->add(extra).ok());
    const DbaseExportResult result = exportAsAdmin();
    EXPECT_EQ(result.kind, DbaseExportResult::Failed);
    EXPECT_TRUE(result.message.ends_with(" People")) << result.message;
    EXPECT_GT(result.message.size(), std::string(" People").size());
    EXPECT_EQ(fs::file_size(out("ASSIGNME.DBF")), before);
    EXPECT_FALSE(fs::exists(out("~ASSIGNME.dbf")));
    // What stood in the way is not the export's to remove.
    EXPECT_TRUE(fs::is_directory(out("~PEOPLE.dbf")));
}

TEST_F(DbaseExportTest, ProgressCoversEveryTableInOrder) {
    fillOffice();
    std::vector<int> done;
    std::int64_t assignmentRows = -1;
    const DbaseExportResult result =
        exportToDbase(*m_db, sessionOf("SUPERVISOR", 2), m_out, [&](const DbaseProgress& p) {
            if (!p.tableDone) return;
            done.push_back(p.table);
            if (p.table == 0) assignmentRows = p.rows;
            EXPECT_EQ(p.rows, p.tableRows);
        });
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(assignmentRows, 2);
}

}  // namespace
}  // namespace tko
