#include "app/catalogue/TextCatalogue.h"

#include "app/DemoOffice.h"
#include "app/ui/LoginWindow.h"
#include "app/ui/MainFrame.h"
#include "app/ui/ProgramScreens.h"
#include "assign/Repetition.h"
#include "data/Messages.h"
#include "data/Workspace.h"
#include "platform/Date.h"
#include "platform/Translate.h"
#include "platform/ui/AccessibleNames.h"
#include "platform/ui/Procedures.h"
#include "platform/ui/WindowTranslation.h"
#include "translator/LanguageFile.h"
#include "translator/Lingua.h"
#include "translator/PoFile.h"
#include "users/ui/UserForm.h"
#include "views/Calendar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <set>

namespace tko {
namespace {

constexpr int kMessageCount = 38;

// The hot-key character of a text written with Qt's marks ("&&" is a
// literal '&'), in upper case; null when none.
QChar mnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) continue;
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.at(i + 1).toUpper();
    }
    return QChar();
}

// Notes every hot key used twice among `texts` under `place`.
void findClashes(const QString& place, const QStringList& texts, QStringList& clashes) {
    QMap<QChar, QString> seen;
    for (const QString& text : texts) {
        const QChar key = mnemonicOf(text);
        if (key.isNull() || key == QLatin1Char(' ')) continue;
        if (seen.contains(key))
            clashes << QStringLiteral("%1: &%2 on \"%3\" and \"%4\"")
                           .arg(place, QString(key), seen.value(key), text);
        else
            seen.insert(key, text);
    }
}

void menuClashes(const QString& place, QMenu* menu, QStringList& clashes) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        texts << action->text();
        if (action->menu() != nullptr)
            menuClashes(place + QStringLiteral(" > ") + action->text(), action->menu(), clashes);
    }
    findClashes(place + QStringLiteral(" menu ") + menu->title(), texts, clashes);
}

// Hot keys of a window's own controls (those in other windows aside) and of
// each of its menus.
void windowClashes(const QString& place, QWidget* window, QStringList& clashes) {
    QStringList texts;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window || !widget->isVisibleTo(window)) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
            texts << label->text();
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            texts << group->title();
    }
    // Tabs of one tab widget share the window's hot keys.
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    findClashes(place, texts, clashes);
    if (auto* bar = window->findChild<QMenuBar*>()) {
        QStringList titles;
        for (QAction* action : bar->actions()) {
            titles << action->text();
            if (action->menu() != nullptr) menuClashes(place, action->menu(), clashes);
        }
        findClashes(place + QStringLiteral(" menu bar"), titles, clashes);
    }
}

// The walk: one step per window or menu item, each on a fresh copy of the
// language file, so that the texts a step records are known to be its own.
class Walker {
public:
    Walker(const QString& workDir, const QString& languageFile, const QString& sourceDir,
           const QString& shotsDir)
        : m_workDir(workDir),
          m_languageFile(languageFile),
          m_sourceDir(sourceDir),
          m_shotsDir(shotsDir) {}

    TextCatalogue run();

    static Walker* current;
    void windowShown(QWidget* window) {
        ::Translate(window);
        const QString place = m_step + QStringLiteral(" / ") + window->windowTitle();
        windowClashes(place, window, m_result.hotKeyClashes);
        // As translateWindow() does once this returns.
        nameControls(window);
        for (const QString& control : tko::namelessControls(window))
            m_result.namelessControls << place + QStringLiteral(": ") + control;
        if (!m_shotsDir.isEmpty()) saveShot(window, place);
    }

private:
    void step(const QString& name, const std::function<void()>& body);
    // A picture of the window as shown, named after the step and its title,
    // so that a translator sees every window in his language.
    void saveShot(QWidget* window, const QString& place) {
        static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9]+"));
        QString name = place;
        name.replace(unsafe, QStringLiteral("-"));
        window->adjustSize();
        window->grab().save(QDir(m_shotsDir)
                                .filePath(QStringLiteral("%1-%2.png")
                                              .arg(++m_shots, 3, 10, QLatin1Char('0'))
                                              .arg(name.left(80))));
    }
    void closeNewWindows(const QList<QWidget*>& before);

    QString m_workDir;
    QString m_languageFile;
    QString m_sourceDir;
    QString m_shotsDir;
    int m_shots = 0;
    QString m_step;
    int m_stepNumber = 0;
    IntlGroup m_group{};
    QStringList m_dataTexts;  // data the windows show, not texts of the program
    TextCatalogue m_result;
};

Walker* Walker::current = nullptr;

void Walker::closeNewWindows(const QList<QWidget*>& before) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (before.contains(window) || !window->isVisible()) continue;
        window->close();
    }
    QApplication::processEvents();
}

void Walker::step(const QString& name, const std::function<void()>& body) {
    m_step = name;
    const QString file = QDir(m_workDir).filePath(QStringLiteral("step%1.ltf").arg(++m_stepNumber));
    QFile::remove(file);
    if (!m_languageFile.isEmpty()) QFile::copy(m_languageFile, file);
    ::InitTranslator(file);
    ::InitPictures(&m_group);
    const QList<QWidget*> before = QApplication::topLevelWidgets();
    body();
    closeNewWindows(before);
    ::CloseTranslator();

    lingua::LanguageFile read;
    if (read.open(file, false) != lingua::kOpened) return;
    read.forEach([&](const lingua::LanguageRecord& record) {
        if (!record.replacement.isEmpty() || m_dataTexts.contains(record.lookup)) return true;
        CatalogueEntry& entry = m_result.entries[catalogueKey(record.entryType, record.lookup)];
        entry.entryType = record.entryType;
        entry.text = record.lookup;
        if (entry.hotKey.isEmpty()) entry.hotKey = record.luHotKey;
        if (!entry.places.contains(name)) entry.places << name;
        return true;
    });
}

TextCatalogue Walker::run() {
    Walker* previous = current;
    current = this;
    ClearIntlGroup(m_group);
    GetIntlGroup(m_group, 0x0409, true, QString());

    Status status;
    DataSource source;
    source.directory = QDir(m_workDir).filePath(QStringLiteral("office")).toStdString();
    QDir().mkpath(QString::fromStdString(source.directory));
    auto db = Database::open(source, true, status);
    if (!db) {
        m_result.error = QString::fromStdString(status.describe());
        current = previous;
        return m_result;
    }
    const DemoSummary demo = createDemoOffice(*db);
    if (!demo.ok) {
        m_result.error = QString::fromStdString(demo.error);
        current = previous;
        return m_result;
    }
    // Labels that show the logged-in user and today's date show data.
    for (const DemoLogin& login : demo.logins)
        m_dataTexts << QString::fromStdString(login.userName);
    ::InitPictures(&m_group);
    m_dataTexts << ::GetLongDate(Clock::today()) << calendarMonthTitle(Clock::today());
    if (procedures().names().isEmpty()) registerProgramScreens();
    setMessageTranslator([](const std::string& text) {
        return ::TranslateString(QString::fromStdString(text)).toStdString();
    });
    setWindowTranslator([](QWidget* window) { current->windowShown(window); });

    // Modal windows and menus are closed as soon as they are up: Escape's
    // answer, which never changes data.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
    });
    closer.start(10);

    Workspace workspace;
    workspace.db = db.get();
    workspace.source = source;
    workspace.programDir = m_workDir;

    step(QStringLiteral("Log-in"), [&] {
        LoginWindow login(*db);
        translateWindow(&login);
    });
    MainFrame frame(workspace);
    step(QStringLiteral("Main frame"), [&] {
        current->windowShown(&frame);
        frame.show();
    });
    std::string admin = "SUPERVISOR";
    for (const DemoLogin& login : demo.logins)
        if (login.role.find("System") != std::string::npos) admin = login.userName;
    step(QStringLiteral("Start-up alerts"), [&] { frame.enterSession(admin, 2); });

    QList<QAction*> items;
    std::function<void(QMenu*)> collect = [&](QMenu* menu) {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            if (action->menu() != nullptr)
                collect(action->menu());
            else
                items << action;
        }
    };
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->menu() != nullptr)
            collect(action->menu());
        else
            items << action;
    }
    for (QAction* action : items) {
        if (action->objectName() == QLatin1String("exitAction")) continue;
        QString plain = action->text();
        plain.remove(QLatin1Char('&'));
        step(QStringLiteral("Menu item ") + plain, [action] { action->trigger(); });
    }
    for (const QString& name : procedures().names())
        step(QStringLiteral("Procedure ") + name,
             [&] { procedures().run(name, &frame, workspace); });

    // The user form asks for an heir only when it deletes.
    step(QStringLiteral("Update User Information (delete)"), [&] {
        User user;
        user.USERNAME = admin;
        UserForm form(workspace, Request::Delete, user, &frame);
        translateWindow(&form);
    });
    step(QStringLiteral("Standard messages"), [] {
        for (int number = 1; number <= kMessageCount; ++number)
            for (int variant = 0; variant < 2; ++variant)
                standardMessage(number, "%1", "%2", "%3", variant);
    });
    // A stored week of the month is compared with each word in the user's
    // language; a rule read before the word matches looks up all of them.
    step(QStringLiteral("Repeat rules"), [] {
        for (const char* word : occurrenceWords()) translateText(word);
    });

    if (!m_sourceDir.isEmpty()) {
        const QMap<QString, QStringList> literals = sourceLiteralTexts(m_sourceDir);
        for (auto it = literals.cbegin(); it != literals.cend(); ++it)
            step(QStringLiteral("Source ") + it.key(), [&] {
                for (const QString& text : it.value()) ::TranslateString(text);
            });
    }

    closer.stop();
    setWindowTranslator(nullptr);
    frame.hide();
    current = previous;
    m_result.ok = true;
    return m_result;
}

}  // namespace

QString catalogueKey(const QString& entryType, const QString& text) {
    return entryType.trimmed().toUpper() + QLatin1Char('\x1f') + text;
}

TextCatalogue collectProgramTexts(const QString& workDir, const QString& languageFile,
                                  const QString& sourceDir, const QString& shotsDir) {
    Walker walker(workDir, languageFile, sourceDir, shotsDir);
    return walker.run();
}

namespace {

// The text of a literal written as one or more adjacent pieces ("a" "b"),
// its escaped quotes unescaped.
QString joinedPieces(const QString& pieces) {
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QString text;
    for (auto part = piece.globalMatch(pieces); part.hasNext();) text += part.next().captured(1);
    return text.replace(QStringLiteral("\\\""), QStringLiteral("\""));
}

// Every string literal of the C++ files under `dir` but the demo office's, as
// written, without its hot-key mark and as the translator keys it.
QSet<QString> literalsUnder(const QString& dir) {
    // A literal written as several adjacent pieces counts as one.
    static const QRegularExpression literal(QStringLiteral(R"re(((?:"(?:[^"\\\n]|\\.)*"\s*)+))re"));
    // Quotes in comment lines are no literals.
    static const QRegularExpression commentLine(QStringLiteral(R"(^\s*//.*$)"),
                                                QRegularExpression::MultilineOption);
    QSet<QString> found;
    QDirIterator files(dir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        if (files.next().endsWith(QLatin1String("/DemoOffice.cpp"))) continue;
        QFile file(files.filePath());
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString code = QString::fromUtf8(file.readAll()).remove(commentLine);
        for (auto match = literal.globalMatch(code); match.hasNext();) {
            QString text = joinedPieces(match.next().captured(1));
            found.insert(text);
            found.insert(text.remove(u'&'));
            // As the translator keys a long text: its first 64 characters.
            found.insert(lingua::fieldText(text, lingua::kLookupWidth));
        }
    }
    return found;
}

}  // namespace

bool recordedTexts(const QString& folder, const QString& sourceDir,
                   QMap<QString, CatalogueEntry>& entries, QString* error) {
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.ltf")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) {
        *error = QStringLiteral("no texts recorded in %1").arg(folder);
        return false;
    }
    const QSet<QString> testLiterals = literalsUnder(sourceDir + QStringLiteral("/../tests"));
    const QSet<QString> programLiterals = literalsUnder(sourceDir);
    static const QRegularExpression yearOrTime(QStringLiteral(R"(\d{4}|\d:\d\d)"));
    static const QRegularExpression digit(QStringLiteral(R"((?<!%)\d)"));
    // A message quoting what the user typed was filled before it was shown.
    static const QRegularExpression quoted(QStringLiteral(R"("[^"]*")"));
    auto isData = [&](const lingua::LanguageRecord& record) {
        const QString& text = record.lookup;
        bool words = false;
        for (qsizetype i = 0; i < text.size() && !words; ++i) words = text.at(i).isLetter();
        return !words || yearOrTime.match(text).hasMatch() ||
               ((digit.match(text).hasMatch() || quoted.match(text).hasMatch() ||
                 testLiterals.contains(text)) &&
                !programLiterals.contains(text));
    };
    for (const QFileInfo& info : files) {
        // "assign_windows_test-1234.ltf" was written by assign_windows_test.
        const QString program = info.completeBaseName().section(QLatin1Char('-'), 0, -2);
        lingua::LanguageFile read;
        if (read.open(info.filePath(), false) != lingua::kOpened) {
            *error = info.filePath() + QStringLiteral(": ") + read.lastError();
            return false;
        }
        read.forEach([&](const lingua::LanguageRecord& record) {
            if (isData(record)) return true;
            CatalogueEntry& entry = entries[catalogueKey(record.entryType, record.lookup)];
            entry.entryType = record.entryType;
            entry.text = record.lookup;
            if (entry.hotKey.isEmpty()) entry.hotKey = record.luHotKey;
            if (!entry.places.contains(program)) entry.places << program;
            return true;
        });
    }
    const QMap<QString, QStringList> literals = sourceLiteralTexts(sourceDir);
    for (auto it = literals.cbegin(); it != literals.cend(); ++it)
        for (const QString& text : it.value()) {
            // Looked up as the translator does: the first 64 characters.
            const QString lookup = lingua::fieldText(text, lingua::kLookupWidth);
            CatalogueEntry& entry = entries[catalogueKey(QStringLiteral("String"), lookup)];
            entry.entryType = QStringLiteral("String");
            entry.text = lookup;
            if (!entry.places.contains(it.key())) entry.places << it.key();
        }
    return true;
}

QMap<QString, QStringList> sourceLiteralTexts(const QString& sourceDir) {
    // A C string literal handed straight to translateText, a QStringLiteral
    // as the text of MessageBox::showText, the text of a refusal, or a named
    // text constant of more than one word (the refusals and questions the
    // logic hands to the windows by name).
    static const QRegularExpression literal(QStringLiteral(
        R"re((?:translateText\(\s*|showText\([^,;()]+,\s*QStringLiteral\(|Outcome::refused\(\s*|constexpr const char\*\s+k\w+\s*=\s*(?="[^"]* ))((?:"(?:[^"\\]|\\.)*"\s*)+))re"));
    QMap<QString, QStringList> texts;
    const QDir root(sourceDir);
    QDirIterator files(sourceDir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        // The translator library's own statements are not program texts.
        const QString relative = root.relativeFilePath(path);
        if (relative.startsWith(QLatin1String("translator/"))) continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString code = QString::fromUtf8(file.readAll());
        for (auto match = literal.globalMatch(code); match.hasNext();) {
            QString text = joinedPieces(match.next().captured(1));
            text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
            // Texts made only of placeholders and punctuation say nothing.
            bool words = false;
            for (qsizetype i = 0; i < text.size() && !words; ++i) words = text.at(i).isLetter();
            // The command line's usage is terminal text, never translated.
            if (words && !text.startsWith(QLatin1String("usage:"))) texts[relative] << text;
        }
    }
    return texts;
}

bool writeCatalogue(const TextCatalogue& catalogue, const QString& potFile, QString* error) {
    QString text = QStringLiteral(
        "# Every text of TASKORBIT Multi-User, collected by opening every window.\n"
        "# Made by the build target lang_catalogue; translate it into a copy\n"
        "# named after the language (De_tkom.po), never edit it by hand.\n"
        "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
        "\"Content-Transfer-Encoding: 8bit\\n\"\n\n");
    for (const CatalogueEntry& entry : catalogue.entries) {
        for (const QString& place : entry.places) text += QStringLiteral("#. ") + place + u'\n';
        const QString id = lingua::takesHotKey(entry.entryType)
                               ? lingua::markHotKey(entry.text, entry.hotKey, false)
                               : entry.text;
        text += QStringLiteral("msgctxt ") + lingua::poQuoted(entry.entryType) + u'\n';
        text += QStringLiteral("msgid ") + lingua::poQuoted(id) + u'\n';
        text += QStringLiteral("msgstr \"\"\n\n");
    }
    QSaveFile out(potFile);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    out.write(text.toUtf8());
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

bool readCatalogue(const QString& poFile, QMap<QString, QString>& translations,
                   QMap<QString, CatalogueEntry>* entries, QString* error) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("read.ltf"));
    const lingua::PoResult result = lingua::importPo(file, poFile, lingua::PoImportMode::AddAll);
    if (!result.ok || !result.unplaced.isEmpty()) {
        *error = result.error + result.unplaced.join(u'\n');
        return false;
    }
    lingua::LanguageFile read;
    if (read.open(file, false) != lingua::kOpened) {
        *error = read.lastError();
        return false;
    }
    read.forEach([&](const lingua::LanguageRecord& record) {
        const QString key = catalogueKey(record.entryType, record.lookup);
        translations.insert(key, record.replacement);
        if (entries != nullptr)
            entries->insert(key,
                            CatalogueEntry{record.entryType, record.lookup, record.luHotKey, {}});
        return true;
    });
    return true;
}

}  // namespace tko
