// The shell's windows on the offscreen platform: log-in, the administrator
// items per access level, message 6 for screens not built yet, and the
// settings forms. With TKO_SCREENSHOTS=DIR each window is also saved as a PNG.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/DemoOffice.h"
#include "app/FirstRun.h"
#include "app/ui/ChangePasswordDialog.h"
#include "app/ui/LoginWindow.h"
#include "app/ui/MainFrame.h"
#include "app/ui/SystemSettingsDialog.h"
#include "app/ui/UserPrefsDialog.h"
#include "data/Notices.h"
#include "data/Password.h"
#include "data/Preferences.h"
#include "data/Workspace.h"
#include "notices/ui/MailSettingsDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "sync/CalDav.h"

namespace tko {

class ShellWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

    void screenshot(QWidget* w, const char* name) {
        const QByteArray dir = qgetenv("TKO_SCREENSHOTS");
        if (dir.isEmpty()) return;
        if (!qobject_cast<QMainWindow*>(w)) w->adjustSize();
        w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) +
                       QStringLiteral(".png"));
    }

    Workspace m_workspace;
    Workspace& context() {
        m_workspace.db = m_db.get();
        m_workspace.source.directory = m_dir.path().toStdString();
        m_workspace.programDir = m_dir.path();
        return m_workspace;
    }

private slots:
    void initTestCase() {
        setPasswordCost(PasswordCost::Minimal);
        MessageBox::setTestMode(true);
        QVERIFY(m_dir.isValid());
        Status status;
        m_db = Database::open(DataSource{m_dir.path().toStdString(), {}}, true, status);
        QVERIFY(m_db);
        const DemoSummary demo = createDemoOffice(*m_db);
        QVERIFY2(demo.ok, demo.error.c_str());
    }

    void init() { MessageBox::clearShown(); }

    void loginRefusesAWrongNameAndAcceptsTheRightPassword() {
        LoginWindow login(*m_db);
        login.show();
        screenshot(&login, "login");
        login.userNameEdit()->setText(QStringLiteral("NOBODY"));
        login.passwordEdit()->setText(QStringLiteral("x"));
        QTest::mouseClick(login.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().text, QStringLiteral("Incorrect User Name"));
        QVERIFY(login.isVisible());
        login.userNameEdit()->setText(QStringLiteral("BEN"));
        login.passwordEdit()->setText(QStringLiteral("demo2"));
        QTest::mouseClick(login.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Incorrect password. Try again"));
        login.passwordEdit()->setText(QStringLiteral("demo1"));
        QTest::mouseClick(login.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(login.result(), int(QDialog::Accepted));
        QCOMPARE(login.loggedIn().userName, std::string("BEN"));
    }

    void administratorItemsFollowTheAccessLevel() {
        for (int level : {0, 1, 2}) {
            MainFrame frame(context());
            QVERIFY(frame.action(QStringLiteral("systemPreferencesAction")));
            for (QAction* a : frame.administratorActions()) QVERIFY(!a->isEnabled());
            frame.enterSession(level == 2 ? "SUPERVISOR" : level == 1 ? "ANNA" : "BEN", level);
            for (QAction* a : frame.administratorActions()) QCOMPARE(a->isEnabled(), level == 2);
            QVERIFY(frame.action(QStringLiteral("userPreferencesAction"))->isEnabled());
            QVERIFY(frame.action(QStringLiteral("changePasswordAction"))->isEnabled());
            if (level == 2) {
                frame.show();
                screenshot(&frame, "mainframe");
            }
        }
    }

    void startUpAlertsTellTheUserAboutDueAndUnseenWork() {
        MainFrame frame(context());
        frame.enterSession("BEN", 0);  // Ben has work due today and unseen work in the demo
        QStringList texts;
        for (const auto& shown : MessageBox::shown()) texts << shown.text;
        // Each alert asks the question that its Yes and No answer.
        QVERIFY(texts.contains(QStringLiteral(
            "You have reminders or assignments due for today\n\nDo you want to see them now?")));
        QVERIFY(texts.contains(QStringLiteral(
            "You have unseen or changed assignments\n\nDo you want to see them now?")));
    }

    // The station's calendar sync runs beside the window: a server that takes
    // the connection and never answers leaves the window free and does not
    // keep it from closing; one that cannot be reached is said in the status
    // bar, and the message stays.
    void calendarSyncNeverHoldsTheWindow() {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QCOMPARE(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(listen(listener, 4), 0);  // connections wait in the backlog, unanswered
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        sync::CalDavAccount account;
        account.url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/ben/tasks/";
        QVERIFY(sync::storeCalDavAccount(*m_db, "BEN", account).ok());
        QElapsedTimer clock;
        clock.start();
        {
            MainFrame frame(context());
            frame.enterSession("BEN", 0);
            QVERIFY(frame.calendarSyncRunning());
            QTest::qWait(300);
            QVERIFY(frame.calendarSyncRunning());  // still waiting for the server...
            QVERIFY(clock.elapsed() < 5000);       // ...while the window went on
        }
        QVERIFY(clock.elapsed() < 8000);  // closing stopped the wait (the time-out is 20 s)
        close(listener);                  // now nobody listens there
        MainFrame frame(context());
        frame.enterSession("BEN", 0);
        auto* label = frame.findChild<QLabel*>(QStringLiteral("calendarStatusLabel"));
        QVERIFY(label);
        QTRY_VERIFY_WITH_TIMEOUT(!frame.calendarSyncRunning(), 15000);
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(),
                 QStringLiteral("The calendar server cannot be reached; trying again later."));
        std::string refusal;  // the later tests' BEN syncs no calendar
        QVERIFY(sync::storeCalDavSettings(*m_db, "BEN", {}, std::nullopt, refusal).ok());
    }

    void aScreenNotBuiltYetSaysSo() {
        MainFrame frame(context());
        frame.enterSession("SUPERVISOR", 2);
        MessageBox::clearShown();
        frame.action(QStringLiteral("exportDbaseAction"))->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().number, 6);
        QCOMPARE(MessageBox::shown().front().text,
                 QStringLiteral("The Procedure ExportToDbase has not been defined."));
        // Toolbar buttons do what their menu items do.
        MessageBox::clearShown();
        frame.action(QStringLiteral("browsePeopleButton"))->trigger();
        QCOMPARE(MessageBox::shown().front().text,
                 QStringLiteral("The Procedure BrowsePeople has not been defined."));
        QCOMPARE(frame.action(QStringLiteral("browsePeopleButton"))->toolTip(),
                 QStringLiteral("Browse people"));
    }

    void aRegisteredScreenOpensInsteadOfTheMessage() {
        MainFrame frame(context());
        frame.enterSession("BEN", 0);
        MessageBox::clearShown();
        QString openedFor;
        procedures().add(QStringLiteral("BrowseAnniversaries"), [&](QWidget*, Workspace& ws) {
            openedFor = QString::fromStdString(ws.session.GlobalUser);
        });
        frame.action(QStringLiteral("anniversariesAction"))->trigger();
        QCOMPARE(openedFor, QStringLiteral("BEN"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void systemSettingsWriteOnlyAChangeAndShowTheDataFolder() {
        const DataSource source{m_dir.path().toStdString(), {}};
        std::vector<SystemPref> prefs;
        QVERIFY(m_db->read(store::ReadRequest{}, prefs).ok());
        const std::string storedPath = prefs.front().TCF;
        const SystemPref original = prefs.front();
        SystemSettingsDialog dialog(*m_db, nullptr, source);
        QVERIFY(dialog.loaded());
        dialog.show();
        screenshot(&dialog, "system-settings");
        // The data folder is shown as this station opened it, and is not edited here.
        QVERIFY(dialog.pathEdit()->isReadOnly());
        QCOMPARE(dialog.pathEdit()->text().toStdString(), dataLocationText(source, storedPath));
        QVERIFY(!dialog.pathEdit()->toolTip().isEmpty());
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
        // The real range of the numbers, negatives refused; nothing written.
        dialog.backupHoursEdit()->setText(QStringLiteral("9999999"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(MessageBox::shown().back().text,
                 QStringLiteral("The value of Back Up Hours must be between 0 and 32767."));
        dialog.backupHoursEdit()->setText(QStringLiteral("32767"));
        dialog.triesEdit()->setText(QStringLiteral("-1"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(
            MessageBox::shown().back().text,
            QStringLiteral("The value of Log In Tries Permitted must be between 0 and 32767."));
        QVERIFY(m_db->read(store::ReadRequest{}, prefs).ok());
        QVERIFY(prefs.front().ACCESSTRIES >= 0);
        dialog.triesEdit()->setText(QStringLiteral("3"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(m_db->read(store::ReadRequest{}, prefs).ok());
        QCOMPARE(prefs.front().TCF, storedPath);
        QCOMPARE(int(prefs.front().ACCESSTRIES), 3);
        QCOMPARE(int(prefs.front().BACKUPHOURS), 32767);
        const auto version = prefs.front().rowVersion;
        SystemSettingsDialog again(*m_db, nullptr, source);
        QTest::mouseClick(again.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QVERIFY(m_db->read(store::ReadRequest{}, prefs).ok());
        QCOMPARE(prefs.front().rowVersion, version);  // no change, nothing written
        // Later tests of this run expect the usual settings.
        SystemPref restored = prefs.front();
        const SystemPref loaded = restored;
        restored.ACCESSTRIES = original.ACCESSTRIES;
        restored.BACKUPHOURS = original.BACKUPHOURS;
        QCOMPARE(saveSystemPref(*m_db, restored, loaded).kind, Outcome::Done);
    }

    void preferencesRefuseAPriorityOutOfRange() {
        UserPrefsDialog dialog(*m_db, "CARLA");
        QCOMPARE(dialog.request(), Request::Change);
        dialog.show();
        screenshot(&dialog, "user-preferences");
        dialog.priorityEdit()->setText(QStringLiteral("0"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(MessageBox::shown().back().number, 10);
        QVERIFY(dialog.result() != QDialog::Accepted);
        dialog.priorityEdit()->setText(QStringLiteral("3"));
        dialog.delayEdit()->setText(QStringLiteral("101"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(MessageBox::shown().back().number, 8);
        dialog.delayEdit()->setText(QStringLiteral("7"));
        dialog.noticeCheck(3)->setChecked(true);  // the daily digest
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        UserPref stored;
        QVERIFY(m_db->fetch("USP:USERNAME_KEY", {std::string("CARLA")}, stored).ok());
        QCOMPARE(int(stored.PRIORITY), 3);
        QCOMPARE(int(stored.DELAY), 7);
        NoticePref notices;
        QVERIFY(readNoticePref(*m_db, "CARLA", notices).ok());
        QCOMPARE(int(notices.DIGEST), 1);
        QCOMPARE(int(notices.NEWWORK), 1);
    }

    // The calendar account: a bad address is refused and nothing is kept of
    // it; a good one is stored with the password sealed, which is never shown
    // again, only said to be stored.
    void preferencesKeepTheCalendarPasswordHidden() {
        {
            UserPrefsDialog dialog(*m_db, "CARLA");
            QVERIFY(dialog.caldavPasswordEdit()->text().isEmpty());
            QVERIFY(!dialog.caldavForgetCheck()->isEnabled());
            dialog.caldavUrlEdit()->setText(QStringLiteral("webcal//nowhere"));
            dialog.caldavPasswordEdit()->setText(QStringLiteral("phone-pw"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                              Qt::LeftButton);
            QVERIFY(dialog.result() != QDialog::Accepted);
            QVERIFY(MessageBox::shown().back().text.contains(QStringLiteral("http://")));
            sync::CalDavAccount none;
            QCOMPARE(sync::loadCalDavAccount(*m_db, "CARLA", none).code, store::kRecordNotFound);
            dialog.caldavUrlEdit()->setText(QStringLiteral("https://dav.example/carla/tasks/"));
            dialog.caldavUserEdit()->setText(QStringLiteral("carla"));
            dialog.caldavGivesCheck()->setChecked(true);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                              Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        sync::CalDavAccount account;
        QVERIFY(sync::loadCalDavAccount(*m_db, "CARLA", account).ok());
        QCOMPARE(account.password, std::string("phone-pw"));
        QCOMPARE(account.login, std::string("carla"));
        QVERIFY(account.gives);
        UserPrefsDialog again(*m_db, "CARLA");
        again.show();
        screenshot(&again, "user-preferences-calendar");
        QVERIFY(again.caldavPasswordEdit()->text().isEmpty());
        QCOMPARE(again.caldavPasswordEdit()->placeholderText(),
                 QStringLiteral("stored; type to replace"));
        QVERIFY(again.caldavGivesCheck()->isChecked());
        again.caldavForgetCheck()->setChecked(true);
        QTest::mouseClick(again.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QVERIFY(sync::loadCalDavAccount(*m_db, "CARLA", account).ok());
        QVERIFY(account.password.empty());
    }

    // The mail server's settings refuse a sender that is no address, store
    // the password sealed and never show it back.
    void mailServerSettingsKeepThePasswordHidden() {
        Session admin;
        admin.GlobalUser = "SUPERVISOR";
        admin.GlobalUserAccess = 2;
        {
            MailSettingsDialog dialog(*m_db, admin, QString());
            dialog.show();
            screenshot(&dialog, "mail-server");
            dialog.findChild<QLineEdit*>(QStringLiteral("hostEdit"))
                ->setText(QStringLiteral("mail.office.example"));
            dialog.findChild<QLineEdit*>(QStringLiteral("fromEdit"))
                ->setText(QStringLiteral("office"));
            dialog.findChild<QLineEdit*>(QStringLiteral("passwordEdit"))
                ->setText(QStringLiteral("smtp-secret"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                              Qt::LeftButton);
            QVERIFY(dialog.result() != QDialog::Accepted);
            dialog.findChild<QLineEdit*>(QStringLiteral("fromEdit"))
                ->setText(QStringLiteral("office@office.example"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                              Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        MailSetup stored;
        QVERIFY(readMailSetup(*m_db, stored).ok());
        QCOMPARE(QString::fromStdString(store::rtrim(stored.HOST)),
                 QStringLiteral("mail.office.example"));
        QVERIFY(stored.PASSWORD.find("smtp-secret") == std::string::npos);
        MailSettingsDialog again(*m_db, admin, QString());
        QVERIFY(again.findChild<QLineEdit*>(QStringLiteral("passwordEdit"))->text().isEmpty());
        QTest::mouseClick(again.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        std::string password;
        QVERIFY(readMailSetup(*m_db, stored).ok());
        QVERIFY(openMailPassword(*m_db, stored, password));
        QCOMPARE(QString::fromStdString(password), QStringLiteral("smtp-secret"));
        // Later tests of this run send no mail.
        std::string refusal;
        QVERIFY(storeMailSetup(*m_db, admin, MailSetup{}, std::string(), refusal).ok());
    }

    void changePasswordNeedsTwoEqualEntriesOfFiveCharacters() {
        ChangePasswordDialog dialog(*m_db, "CARLA");
        dialog.show();
        screenshot(&dialog, "change-password");
        dialog.firstEdit()->setText(QStringLiteral("abcd "));
        dialog.secondEdit()->setText(QStringLiteral("abcd "));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(MessageBox::shown().back().text,
                 QStringLiteral("Password must be at least 5 characters"));
        dialog.firstEdit()->setText(QStringLiteral("carla"));
        dialog.secondEdit()->setText(QStringLiteral("carla"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Password Changed"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        LoginAttempts attempts(*m_db);
        LoggedIn carla;
        QVERIFY(attempts.attempt("CARLA", "carla", carla).ok());
    }

    void theBuiltInPasswordIsRefusedAndTheDialogStaysOpen() {
        ChangePasswordDialog dialog(*m_db, "CARLA");
        dialog.show();
        for (QLineEdit* edit : {dialog.firstEdit(), dialog.secondEdit()})
            edit->setText(QString::fromLatin1(kFirstPassword));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QVERIFY(MessageBox::shown().back().text != QStringLiteral("Password Changed"));
        QVERIFY(MessageBox::shown().back().text.contains(QStringLiteral("built-in")));
        QVERIFY(dialog.result() != QDialog::Accepted);
        QVERIFY(dialog.firstEdit()->text().isEmpty());  // to be typed anew
        LoginAttempts attempts(*m_db);
        LoggedIn carla;
        QVERIFY(!attempts.attempt("CARLA", kFirstPassword, carla).ok());
    }
};

}  // namespace tko

QTEST_MAIN(tko::ShellWindowsTest)
#include "ShellWindowsTest.moc"
