// The anniversary windows on the offscreen platform: the person form's
// Anniversaries tab with the "Anniversary Information" form, bad input on the
// form, and "Upcoming Anniversaries" with its end date.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "app/DemoOffice.h"
#include "data/Password.h"
#include "people/Anniversaries.h"
#include "people/ui/AnniversaryForm.h"
#include "people/ui/PeopleScreens.h"
#include "people/ui/PersonForm.h"
#include "people/ui/UpcomingAnniversariesWindow.h"
#include "platform/Picture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "support/SignedIn.h"

namespace tko {

class AnniversaryWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;

    Workspace& as(const std::string& user, int access) {
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }

    Person personNamed(const std::string& shortName) {
        Person p;
        [&] { QVERIFY(m_db->fetch("PEO:SHORT_KEY", {shortName}, p).ok()); }();
        return p;
    }

    std::vector<Anniversary> anniversariesOf(std::int32_t number) {
        std::vector<Anniversary> rows;
        m_db->readAll("ANN:NUMBER_KEY", store::eq("NUMBER", std::int64_t{number}), rows);
        return rows;
    }

    static QString longDate(Date d) { return formatDate(d, u"@D18"); }

    // Runs `step` on the modal anniversary form as soon as it is shown.
    static void onAnniversaryForm(std::function<void(AnniversaryForm*)> step) {
        QTimer::singleShot(0, [step] {
            auto* form = qobject_cast<AnniversaryForm*>(QApplication::activeModalWidget());
            QVERIFY(form);
            step(form);
        });
    }

private slots:
    void initTestCase() {
        setPasswordCost(PasswordCost::Minimal);
        MessageBox::setTestMode(true);
        QVERIFY(m_dir.isValid());
        m_db = test::newOffice(m_dir);
        QVERIFY(m_db);
        const DemoSummary demo = createDemoOffice(*m_db);
        QVERIFY2(demo.ok, demo.error.c_str());
    }

    void init() {
        MessageBox::clearShown();
        Clock::setFixed(fromYmd(2026, 12, 20), 0);
    }
    void cleanup() { Clock::useSystem(); }

    void theAnniversariesTabInsertsChangesAndDeletes() {
        Workspace& ws = as("SUPERVISOR", 2);
        const Person shop = personNamed("PRINTSHOP");
        PersonForm form(ws, Request::Change, shop);
        QVERIFY(form.start());
        form.show();

        onAnniversaryForm([](AnniversaryForm* f) {
            QCOMPARE(f->personEdit()->text(), QStringLiteral("PRINTSHOP"));
            QVERIFY(f->personEdit()->isReadOnly());
            f->dateEdit()->setText(longDate(fromYmd(1995, 3, 1)));
            f->noteEdit()->setText(QStringLiteral("Opened the shop"));
            f->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        form.button(QStringLiteral("anniversaryInsertButton"))->click();
        std::vector<Anniversary> rows = anniversariesOf(shop.PERSONNUMBER);
        QCOMPARE(rows.size(), size_t{1});
        QCOMPARE(rows[0].NOTE, std::string("Opened the shop"));
        QCOMPARE(int(rows[0].DAYOFYEAR), anniversaryDayValue(fromYmd(1995, 3, 1)));
        auto* list = form.findChild<BrowseList*>(QStringLiteral("anniversaryList"));
        QVERIFY(list && list->selectedRow());

        onAnniversaryForm([](AnniversaryForm* f) {
            QCOMPARE(f->noteEdit()->text(), QStringLiteral("Opened the shop"));
            f->noteEdit()->setText(QStringLiteral("Shop opened"));
            f->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        form.button(QStringLiteral("anniversaryChangeButton"))->click();
        QCOMPARE(anniversariesOf(shop.PERSONNUMBER).at(0).NOTE, std::string("Shop opened"));

        // Delete asks first (message 32); Cancel keeps the anniversary.
        onAnniversaryForm([](AnniversaryForm* f) {
            MessageBox::setNextAnswer(Answer::Cancel);
            f->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            f->reject();
        });
        form.button(QStringLiteral("anniversaryDeleteButton"))->click();
        QCOMPARE(anniversariesOf(shop.PERSONNUMBER).size(), size_t{1});
        onAnniversaryForm([](AnniversaryForm* f) {
            MessageBox::setNextAnswer(Answer::Ok);
            f->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        form.button(QStringLiteral("anniversaryDeleteButton"))->click();
        QVERIFY(anniversariesOf(shop.PERSONNUMBER).empty());
        QVERIFY(!list->selectedRow());

        // The list takes the person's number and short name: a row with his
        // number under another name is not his.
        Anniversary stray = newAnniversaryFor(shop);
        stray.SHORTNAME = "SOMEBODYELSE";
        stray.DATE = fromYmd(1990, 7, 1);
        stray.DAYOFYEAR = static_cast<std::int16_t>(anniversaryDayValue(stray.DATE));
        QVERIFY(m_db->add(stray).ok());
        list->reload();
        QVERIFY(!list->selectedRow());
    }

    void badInputKeepsTheFormOpenAndWritesNothing() {
        Workspace& ws = as("SUPERVISOR", 2);
        const Person shop = personNamed("PRINTSHOP");
        const size_t before = anniversariesOf(shop.PERSONNUMBER).size();
        AnniversaryForm form(ws, Request::Insert, newAnniversaryFor(shop));
        QVERIFY(form.start());
        form.show();
        QCOMPARE(form.noteEdit()->maxLength(), 50);

        form.dateEdit()->setText(QStringLiteral("no date at all"));
        form.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        QVERIFY(form.isVisible());
        QVERIFY(!MessageBox::shown().isEmpty());
        QVERIFY(MessageBox::shown().last().text.contains(QStringLiteral("Initial Date")));
        // What the user typed stays for correcting.
        QCOMPARE(form.dateEdit()->text(), QStringLiteral("no date at all"));

        MessageBox::clearShown();
        form.dateEdit()->clear();
        form.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        QVERIFY(form.isVisible());
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(anniversariesOf(shop.PERSONNUMBER).size(), before);
        form.done(QDialog::Rejected);
    }

    void aPersonTheUserMayNotEditOpensNoForm() {
        // DENTIST is BEN's private person; ANNA may not add to it.
        Workspace& ws = as("ANNA", 0);
        const Person dentist = personNamed("DENTIST");
        AnniversaryForm form(ws, Request::Insert, newAnniversaryFor(dentist));
        QVERIFY(!form.start());
        QVERIFY(!MessageBox::shown().isEmpty());
    }

    void upcomingResetsTheEndDateAndFollowsItsEntry() {
        Workspace& ws = as("SUPERVISOR", 2);
        const Person shop = personNamed("PRINTSHOP");
        for (const auto& [date, note] : {std::pair{fromYmd(1980, 12, 24), "Christmas Eve"},
                                         std::pair{fromYmd(1981, 1, 5), "early January"},
                                         std::pair{fromYmd(1982, 2, 20), "February"}}) {
            Anniversary a = newAnniversaryFor(shop);
            a.DATE = date;
            a.NOTE = note;
            QVERIFY(saveAnniversary(*m_db, ws.session, Request::Insert, a, a).ok());
        }
        ws.session.EndDate = fromYmd(2027, 6, 1);
        UpcomingAnniversariesWindow window(ws);
        window.show();
        QCOMPARE(ws.session.EndDate, 0);
        // No end date: from 20 December to day 363, i.e. the rest of the year.
        auto notes = [&window] {
            QStringList shown;
            for (int r = 0; r < window.table()->rowCount(); ++r)
                shown << window.table()->item(r, 2)->text();
            return shown;
        };
        QCOMPARE(notes(), QStringList{QStringLiteral("Christmas Eve")});

        // Enter in the entry reloads the list; it does not close the window.
        window.endDateEdit()->setFocus();
        window.endDateEdit()->setText(longDate(fromYmd(2027, 1, 31)));
        QTest::keyClick(window.endDateEdit(), Qt::Key_Return);
        QVERIFY(window.isVisible());
        QCOMPARE(ws.session.EndDate, fromYmd(2027, 1, 31));
        QCOMPARE(notes(),
                 (QStringList{QStringLiteral("Christmas Eve"), QStringLiteral("early January")}));

        // A date that cannot be read is refused and the list stays.
        window.endDateEdit()->setText(QStringLiteral("tomorrow-ish"));
        emit window.endDateEdit()->editingFinished();
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(ws.session.EndDate, fromYmd(2027, 1, 31));
        QCOMPARE(notes().size(), 2);
    }

    void theMenuProcedureOpensTheUpcomingWindow() {
        Procedures registry;
        registerPeopleScreens(registry);
        Workspace& ws = as("BEN", 0);
        QVERIFY(registry.run(QStringLiteral("BrowseAnniversaries"), nullptr, ws));
        UpcomingAnniversariesWindow* opened = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* u = qobject_cast<UpcomingAnniversariesWindow*>(w); u && u->isVisible())
                opened = u;
        QVERIFY(opened);
        opened->close();
    }
};

}  // namespace tko

QTEST_MAIN(tko::AnniversaryWindowsTest)
#include "AnniversaryWindowsTest.moc"
