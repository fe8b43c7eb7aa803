// Switching the language while windows are open, and the user's own language
// after log-in.
#include "app/LanguageChoice.h"
#include "app/ui/LanguageProcedure.h"
#include "data/Workspace.h"
#include "platform/IniFiles.h"
#include "platform/ui/HelpBrowser.h"
#include "translator/LanguageFile.h"
#include "translator/Lingua.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_english, m_german;

    static bool write(const QString& path, const QList<lingua::LanguageRecord>& records) {
        lingua::LanguageFile file;
        if (file.open(path) != lingua::kOpened) return false;
        for (const lingua::LanguageRecord& record : records)
            if (file.add(record) != lingua::LanguageFile::AddResult::Added) return false;
        return true;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_english = m_dir.filePath(QStringLiteral("En_tkom.ltf"));
        m_german = m_dir.filePath(QStringLiteral("De_tkom.ltf"));
        QVERIFY(write(m_english, {}));
        QVERIFY(write(m_german,
                      {{QStringLiteral("File"), QStringLiteral("F"), QStringLiteral("Datei"),
                        QStringLiteral("D"), QStringLiteral("Menu")},
                       {QStringLiteral("Close"), QStringLiteral("C"), QStringLiteral("Schließen"),
                        QStringLiteral("S"), QStringLiteral("Text")},
                       {QStringLiteral("Assignments"),
                        {},
                        QStringLiteral("Aufträge"),
                        {},
                        QStringLiteral("WinTitle")}}));
    }
    void cleanup() { CloseTranslator(); }

    void openWindowsFollowEverySwitch() {
        QCOMPARE(InitTranslator(m_english), std::uint16_t{1});
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("Assignments"));
        QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
        auto* close = new QPushButton(QStringLiteral("&Close"));
        window.setCentralWidget(close);
        window.show();
        Translate(&window);

        QVERIFY(tko::switchLanguage(m_german, 0x0407));
        QCOMPARE(window.windowTitle(), QStringLiteral("Aufträge"));
        QCOMPARE(file->title(), QStringLiteral("&Datei"));
        QCOMPARE(close->text(), QStringLiteral("&Schließen"));
        QCOMPARE(GetLongDate(4), QStringLiteral("Donnerstag, 1. Januar 1801"));
        // Qt's own dialogs and standard buttons speak German too.
        const auto qtCancel = [] {
            return QDialogButtonBox(QDialogButtonBox::Cancel)
                .button(QDialogButtonBox::Cancel)
                ->text();
        };
        QCOMPARE(qtCancel(), QStringLiteral("Abbrechen"));
        QCOMPARE(tko::HelpBrowser::language(), QStringLiteral("de"));  // and the help pages

        // A file that cannot be used leaves German in force.
        QVERIFY(!tko::switchLanguage(m_dir.path(), 0x0409));
        QCOMPARE(CurrentLangFile(), m_german);
        QCOMPARE(close->text(), QStringLiteral("&Schließen"));

        QVERIFY(tko::switchLanguage(m_english, 0x0409));
        QCOMPARE(window.windowTitle(), QStringLiteral("Assignments"));
        QCOMPARE(file->title(), QStringLiteral("&File"));
        QCOMPARE(close->text(), QStringLiteral("&Close"));
        QCOMPARE(qtCancel(), QStringLiteral("Cancel"));
        QCOMPARE(tko::HelpBrowser::language(), QString());
    }

    void theUsersOwnLanguageAfterLogIn() {
        QCOMPARE(InitTranslator(m_english), std::uint16_t{1});
        tko::Workspace workspace;
        workspace.programDir = m_dir.path();
        workspace.session.GlobalUser = "BEN";
        tko::applyUserLanguage(workspace);  // nothing chosen yet
        QCOMPARE(CurrentLangFile(), m_english);

        tko::storeLanguage(tko::mainIniPath(m_dir.path()), QStringLiteral("BEN"),
                           {m_german, 0x0407});
        tko::storeLanguage(tko::mainIniPath(m_dir.path()), QStringLiteral("ANNA"),
                           {m_english, 0x0409});
        tko::applyUserLanguage(workspace);
        QCOMPARE(CurrentLangFile(), m_german);
        workspace.session.GlobalUser = "ANNA";
        tko::applyUserLanguage(workspace);
        QCOMPARE(CurrentLangFile(), m_english);
    }
};

QTEST_MAIN(LanguageSwitchTest)
#include "LanguageSwitchTest.moc"
