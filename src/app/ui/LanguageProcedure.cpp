#include "app/ui/LanguageProcedure.h"

#include "app/LanguageChoice.h"
#include "data/Notices.h"
#include "data/Workspace.h"
#include "platform/IniFiles.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "translator/Lingua.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>

namespace tko {
namespace {

// The notices by mail follow the user's language: its code goes to his
// NOTICEPREF (when it changed), so that any station writes them in it.
void rememberNoticeLanguage(const Workspace& workspace, const QString& file) {
    if (!workspace.db || workspace.session.GlobalUser.empty()) return;
    const std::string code =
        languageCodeOfFile(file).left(NoticePref::Width::LANGUAGE).toStdString();
    NoticePref pref;
    if (!readNoticePref(*workspace.db, workspace.session.GlobalUser, pref).ok() ||
        store::rtrim(pref.LANGUAGE) == code)
        return;
    pref.LANGUAGE = code;
    std::string refusal;
    storeNoticePref(*workspace.db, workspace.session, pref, refusal);  // kept for next time
}

void translateOpenWindows() {
    useLanguageResources(CurrentLangFile());
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) ::Translate(window);
}

void chooseLanguage(QWidget* parent, Workspace& workspace) {
    const QList<LanguageOption> options = languagesBeside(workspace.programDir);
    const QString config = languageConfig(options);
    if (config.isEmpty()) {
        MessageBox::showText(parent,
                             QStringLiteral("No language files were found beside the program."),
                             QStringLiteral("Language"));
        return;
    }
    const QString previous = CurrentLangFile();
    IntlGroup group;
    ClearIntlGroup(group);
    ::UserLanguageSelect(group, 0, languageLocales(options), config, QStringLiteral("Language"));
    const std::uint16_t code = ::TranslatorErrorcode();
    if (code == 15) return;  // cancelled: nothing changed
    const QString chosen = CurrentLangFile();
    if (chosen.isEmpty()) {
        // The chosen file cannot be used: say why and go back to the one in use.
        const QString why = QString::number(code) + QLatin1Char(' ') + ::TranslatorError();
        if (!previous.isEmpty()) ::InitTranslator(previous);
        MessageBox::showText(parent, QStringLiteral("The language file cannot be used: %1"),
                             QStringLiteral("Language"), MessageButtons::Ok, {why},
                             MessageBox::Icon::Warning);
        return;
    }
    std::uint32_t lcid = 0;
    for (const LanguageOption& option : options)
        if (QFileInfo(option.file) == QFileInfo(chosen)) lcid = option.lcid;
    storeLanguage(mainIniPath(workspace.programDir),
                  QString::fromStdString(workspace.session.GlobalUser), {chosen, lcid});
    rememberNoticeLanguage(workspace, chosen);
    workspace.session.languageFile = lastCharacters(chosen.toStdString(), 11);
    translateOpenWindows();
}

}  // namespace

void useLanguageResources(const QString& file) {
    // Qt's translations are split in modules; the widgets' texts are in qtbase.
    static QTranslator* loaded = nullptr;
    if (loaded) {
        QCoreApplication::removeTranslator(loaded);
        delete loaded;
        loaded = nullptr;
    }
    const QString code = languageCodeOfFile(file);
    HelpBrowser::setLanguage(code);
    if (code.isEmpty() || code == QLatin1String("en")) return;
    auto* translator = new QTranslator;
    if (!translator->load(QStringLiteral("qtbase_") + code,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;  // not installed: Qt's texts stay English
        return;
    }
    QCoreApplication::installTranslator(translator);
    loaded = translator;
}

void registerLanguageProcedure(Procedures& procedures) {
    procedures.add(QStringLiteral("UserLanguageSelect"), &chooseLanguage);
}

bool switchLanguage(const QString& file, std::uint32_t lcid) {
    const QString previous = CurrentLangFile();
    if (::InitTranslator(file) != 1) {
        if (!previous.isEmpty()) ::InitTranslator(previous);
        return false;
    }
    IntlGroup group;
    ClearIntlGroup(group);
    if (lcid != 0 && ::GetIntlGroup(group, lcid, true, QString()) == 0) ::InitPictures(&group);
    translateOpenWindows();
    return true;
}

void applyUserLanguage(const Workspace& workspace) {
    const StoredLanguage own = storedLanguage(mainIniPath(workspace.programDir),
                                              QString::fromStdString(workspace.session.GlobalUser));
    if (own.file.isEmpty()) return;
    const QString file = QDir(workspace.programDir).filePath(own.file);
    if (!QFileInfo(file).isFile() || QFileInfo(file) == QFileInfo(CurrentLangFile())) return;
    if (switchLanguage(file, own.lcid)) {
        storeLanguage(mainIniPath(workspace.programDir),
                      QString::fromStdString(workspace.session.GlobalUser), {file, own.lcid});
        rememberNoticeLanguage(workspace, file);
    }
}

}  // namespace tko
