// taskorbm: the TASKORBIT Multi-User program of one work station.
//
//   taskorbm [--data DIR] [--server CONNINFO]   work on the office in DIR (default:
//                                               the current directory) or on a server
//   taskorbm --demo                             a demo office in the user's data folder
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

#include "app/DemoOffice.h"
#include "app/FirstRun.h"
#include "app/LanguageChoice.h"
#include "app/OfficeOpening.h"
#include "app/ui/LanguageProcedure.h"
#include "app/ui/MainFrame.h"
#include "app/ui/ProgramScreens.h"
#include "data/Messages.h"
#include "data/StationSettings.h"
#include "data/Workspace.h"
#include "platform/ChangeWatcher.h"
#include "platform/IniFiles.h"
#include "platform/store/EngineLog.h"
#include "platform/ui/AccessibleNames.h"
#include "platform/ui/AppIcon.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PasteGuard.h"
#include "platform/ui/Procedures.h"
#include "platform/ui/WindowTranslation.h"
#include "translator/IntlGroupFormat.h"
#include "translator/Lingua.h"

namespace {

std::string translateThroughLibrary(const std::string& source) {
    return ::TranslateString(QString::fromStdString(source)).toStdString();
}

// Stops the program with a storage error's text: first-run records, settings
// and data files that cannot be used leave nothing sensible to do.
int stop(const QString& text) {
    tko::MessageBox::showText(nullptr, text, QStringLiteral("TASKORBIT"), tko::MessageButtons::Ok,
                              {}, tko::MessageBox::Icon::Critical);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tko::PasteGuard::installOnApplication();
    QApplication::setApplicationName(QStringLiteral("taskorbit"));
    // No application display name: the platform would append it to every
    // window title (" — TASKORBIT Multi-User"), which clips the titles of
    // narrow dialogs. The desktop file names the program to the task bar.
    QApplication::setWindowIcon(tko::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.taskorbit.MultiUser"));
    tko::HelpBrowser::installHelpKey(&app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("TASKORBIT Multi-User"));
    parser.addHelpOption();
    QCommandLineOption dataOption(QStringLiteral("data"),
                                  QStringLiteral("The shared data directory."),
                                  QStringLiteral("DIR"), QDir::currentPath());
    QCommandLineOption serverOption(
        QStringLiteral("server"),
        QStringLiteral("A PostgreSQL connection string: the office's server."),
        QStringLiteral("CONNINFO"));
    QCommandLineOption demoOption(QStringLiteral("demo"),
                                  QStringLiteral("Start on a demo office."));
    QCommandLineOption checkStartOption(
        QStringLiteral("check-start"),
        QStringLiteral("Start up to the log-in window and end there: exit status 0 when it was "
                       "reached (a check of an installation)."));
    parser.addOptions({dataOption, serverOption, demoOption, checkStartOption});
    parser.process(app);

    const QString programDir = QCoreApplication::applicationDirPath();
    QString dataDir = parser.value(dataOption);
    bool makeDemo = false;
    if (parser.isSet(demoOption)) {
        dataDir = QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
                      .filePath(QStringLiteral("demo-office"));
        makeDemo = !QFileInfo::exists(QDir(dataDir).filePath(QStringLiteral("TKODATA.DB")));
        QDir().mkpath(dataDir);
    }
    if (!QFileInfo(dataDir).isDir())
        return stop(QStringLiteral("The data directory %1 does not exist.").arg(dataDir));

    // The storage engine's own words about a failure are kept in the station's
    // log; message boxes show this program's texts.
    const QString logDir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(logDir);
    tko::store::setEngineLogFile(QDir(logDir).filePath(QStringLiteral("engine.log")).toStdString());

    const tko::DataSource source =
        tko::resolveDataSource(dataDir.toStdString(), parser.value(serverOption).toStdString(),
                               tko::mainIniPath(programDir).toStdString());

    // The translator first: a language file that cannot be used ends the program.
    // The station's last chosen language (LanguageChoice.h), else English.
    ::InitTranslator(tko::startLanguageFile(programDir, tko::mainIniPath(programDir)));
    if (::TranslatorErrorcode() != 0) {
        ::ShowTranError();  // says why (code and message) and ends the program
        return 1;
    }
    tko::useLanguageResources(CurrentLangFile());
    tko::setMessageTranslator(&translateThroughLibrary);
    tko::registerStandardMessages();
    ::SetPictureSettingsHandler(&tko::applyIntlGroup);
    tko::setWindowTranslator([](QWidget* window) { ::Translate(window); });
    ::SetTranslatorHelpHandler([](const QString& keyword) { tko::HelpBrowser::showHelp(keyword); });
    ::SetTranslatorMessageHandler([](const QString& title, const QString& text) {
        tko::MessageBox::showText(nullptr, text, title);
    });
    // The user's own locale decides how dates, times and numbers look.
    IntlGroup group;
    ::ClearIntlGroup(group);
    const tko::StoredLanguage last = tko::storedLanguage(tko::mainIniPath(programDir), QString());
    if (::GetIntlGroup(group, last.lcid, true, QString()) == 0) ::InitPictures(&group);

    tko::OpeningQuestions questions;
    questions.restore = [](const std::string& question) {
        return tko::MessageBox::showText(nullptr, QString::fromStdString(question),
                                         QStringLiteral("TASKORBIT"), tko::MessageButtons::YesNo,
                                         {}, tko::MessageBox::Icon::Question) == tko::Answer::Yes;
    };
    questions.rebuildKeys = [](const std::string& table) {
        return tko::MessageBox::showStandard(nullptr, 2, QString::fromStdString(table)) ==
               tko::Answer::Yes;
    };
    tko::OfficeOpening office = tko::openOffice(source, questions);
    if (!office.db) {
        if (office.message == 30)
            tko::MessageBox::showStandard(nullptr, 30, QString::fromStdString(office.name),
                                          QString::fromStdString(office.error));
        else if (office.message != 0)
            tko::MessageBox::showStandard(nullptr, office.message,
                                          QString::fromStdString(office.error),
                                          QString::fromStdString(office.name));
        else if (!office.text.empty())
            return stop(QString::fromStdString(office.text));
        return 1;
    }
    std::unique_ptr<tko::Database> db = std::move(office.db);
    if (makeDemo) {
        const tko::DemoSummary demo = tko::createDemoOffice(*db);
        if (!demo.ok) return stop(QString::fromStdString(demo.error));
        std::printf("Demo office in %s. Log-ins:\n", qPrintable(dataDir));
        for (const tko::DemoLogin& login : demo.logins)
            std::printf("  %s / %s  (%s)\n", login.userName.c_str(), login.password.c_str(),
                        login.role.c_str());
        std::fflush(stdout);
    }
    tko::SystemPref systemPref;
    const tko::StartupResult sys = tko::ensureSystemPref(*db, systemPref, source);
    if (!sys.ok) return stop(QString::fromStdString(sys.error));

    tko::registerProgramScreens();  // before the workspace, which copies the services
    tko::Workspace workspace;
    workspace.db = db.get();
    workspace.source = source;
    workspace.programDir = programDir;
    // Other stations' changes (and this station's own) reach every open window.
    tko::ChangeWatcher changes(db->engine());
    changes.start();
    tko::MainFrame frame(workspace);
    int exitCode = 0;
    QObject::connect(&frame, &tko::MainFrame::fatalError, &frame, [&](const QString& text) {
        stop(text);
        exitCode = 1;
        QApplication::exit(1);
    });
    frame.restorePlacement();
    ::Translate(&frame);
    tko::nameControls(&frame);
    frame.show();
    const bool checkStart = parser.isSet(checkStartOption);
    if (!frame.startUp(checkStart)) {
        ::CloseTranslator();
        if (checkStart && !exitCode) {
            std::printf(frame.reachedLogIn() ? "The log-in window was reached.\n"
                                             : "The log-in window was not reached.\n");
            return frame.reachedLogIn() ? 0 : 1;
        }
        return exitCode;
    }
    const int result = app.exec();
    ::CloseTranslator();
    return exitCode ? exitCode : result;
}
