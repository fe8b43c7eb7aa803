// A store with the records the report tests need, and ways to read back
// what a report produced: the pages it handed over, or a text file's lines.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "data/Session.h"
#include "platform/Picture.h"
#include "reports/ReportEngine.h"
#include "reports/TextReportFile.h"
#include "support/TestStore.h"

namespace tko::test {

inline constexpr Date kToday = 82000;

// A list of texts written as plain literals.
inline QStringList strings(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* text : texts) out << QString::fromUtf8(text);
    return out;
}

inline Session sessionOf(const std::string& user, int access) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

// Keeps the pages a report hands over.
class PageList : public PageSink {
public:
    bool addPage(const ReportPage& page) override {
        pages.push_back(page);
        return true;
    }
    bool finish() override {
        finished = true;
        return true;
    }
    void abort() override { aborted = true; }

    // Every line of every page as the text printer writes it.
    QStringList lines() const {
        QStringList out;
        for (const ReportPage& page : pages)
            for (const PageLine& line : page.lines) out << lineText(line);
        return out;
    }

    std::vector<ReportPage> pages;
    bool finished = false;
    bool aborted = false;
};

// The lines of a text file, read line by line.
inline QStringList fileLines(const QString& path) {
    QStringList out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return out;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n')) line.chop(1);
        out << QString::fromUtf8(line);
    }
    return out;
}

// The lines that contain `needle`, in order.
inline QStringList linesWith(const QStringList& lines, const QString& needle) {
    QStringList out;
    for (const QString& line : lines)
        if (line.contains(needle)) out << line;
    return out;
}

// Index of the first line containing `needle`, -1 when none does.
inline int lineOf(const QStringList& lines, const QString& needle) {
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains(needle)) return i;
    return -1;
}

class ReportStore : public ::testing::Test {
protected:
    void SetUp() override {
        db = openStation(freshSource(dir));
        ASSERT_TRUE(db);
        SystemPref sys;
        sys.CONFIDENTIAL = 1;
        ASSERT_TRUE(db->add(sys).ok());
    }

    void setViewAll(bool on) {
        std::vector<SystemPref> all;
        ASSERT_TRUE(db->readAll("", store::all(), all).ok());
        ASSERT_FALSE(all.empty());
        all.front().VIEWALL = on ? 1 : 0;
        ASSERT_TRUE(db->change(all.front()).ok());
    }

    Assignment& add(const std::string& name, const std::string& person, const std::string& by,
                    Date due, int priority = 5) {
        Assignment a;
        a.ASSIGNNUMBER = ++nextAssignment;
        a.NAME = name;
        a.PERSON = person;
        a.USERNAME = by;
        a.DUEDATE = due;
        a.ASSIGNEDDATE = due - 10;
        a.PRIORITY = static_cast<std::uint8_t>(priority);
        a.REPEATTYPE = "No Repeats";
        added.push_back(a);
        return added.back();
    }
    // Writes the assignments prepared with add().
    void store() {
        ASSERT_TRUE(db->begin({"ASSIGNMENT"}, 5000).ok());
        for (Assignment& a : added) ASSERT_TRUE(db->add(a).ok()) << a.NAME;
        ASSERT_TRUE(db->commit().ok());
        added.clear();
    }

    Person addPerson(const std::string& shortName, const std::string& type,
                     const std::string& owner) {
        Person p;
        p.SHORTNAME = shortName;
        p.PERSONNUMBER = ++nextPerson;
        p.TYPE = type;
        p.USER = owner;
        p.LASTNAME = shortName + "-last";
        EXPECT_TRUE(db->add(p).ok());
        return p;
    }

    ReportResult run(const ReportParams& params, const Session& session, PageList& pages,
                     const ReportProgress& progress = {}) {
        ReportEngine engine(*db, session, kToday);
        return engine.run(params, pages, progress);
    }

    TempDir dir;
    std::unique_ptr<Database> db;
    std::vector<Assignment> added;
    std::int32_t nextAssignment = 0;
    std::int32_t nextPerson = 0;
};

}  // namespace tko::test
