// The in-program help: HTML topics compiled into the program's resources
// (":/help/"), shown in one help window. Each topic carries its help keyword
// as an anchor ("~Assignment_Information_Window"); the index page lists them.
// The window also searches the text of every topic (HelpIndex.h), and F1
// anywhere in the program opens the topic of the window that has the focus.
//
// The pages come in the language chosen with setLanguage(): a translation
// lives in its own folder (":/help/de/") with the same file names and the
// same keyword anchors as the English pages, so every keyword finds its topic
// in every language. A language without such a folder shows the English pages.
//
// GUI thread only. The window is created on first use and reused.
#pragma once

#include <QDialog>
#include <QUrl>

#include "platform/HelpIndex.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace tko {

class HelpBrowser : public QDialog {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    // Opens the shared help window at the topic of `keyword` (with or without
    // the leading '~'); the index page when the keyword is empty or unknown.
    // Returns the window.
    static HelpBrowser* showHelp(const QString& keyword, QWidget* parent = nullptr);

    // The page and anchor of a keyword in the current language (the English
    // page when the translation lacks the topic); an empty URL when no topic
    // has it.
    static QUrl topicUrl(const QString& keyword);
    static QUrl indexUrl();

    // Chooses the language of the help: a lower-case language code ("de"),
    // "" or "en" for English. A language whose pages are not in the resources
    // falls back to English. The shared help window, when open, shows the same
    // topic in the new language, its search results are found anew and its own
    // captions are translated again: call it once the program's translation
    // has changed to the new language.
    static void setLanguage(const QString& code);
    // The language the pages are shown in: "" for English, else its code.
    static QString language();

    // Opens the shared help window ready to search ("Search for Help On...").
    static HelpBrowser* showSearch(QWidget* parent = nullptr);

    // The index of every topic of the help pages in the current language,
    // built on first use of that language.
    static const HelpIndex& index();

    // The help keyword for a widget: that of its window, or of the window
    // that opened it, and so on up; empty when none of them names a topic.
    static QString keywordFor(const QWidget* widget);
    // Makes F1 open the topic of the focused window everywhere in `app`.
    static void installHelpKey(QObject* app);

    void openTopic(const QString& keyword);
    // Lists the topics that contain every word of `words`; the first is
    // highlighted. Returns how many were found.
    int search(const QString& words);
    QTextBrowser* browser() const { return m_browser; }
    QLineEdit* searchEdit() const { return m_searchEdit; }
    QListWidget* results() const { return m_results; }

private:
    void openResult();
    // Shows the current page, and the search results, in the current language.
    void followLanguage();
    // The window's own captions, translated from their English source texts.
    void translateCaptions();

    QTextBrowser* m_browser = nullptr;
    QLabel* m_searchLabel = nullptr;
    QLineEdit* m_searchEdit = nullptr;
    QListWidget* m_results = nullptr;
    QPushButton* m_contents = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace tko
