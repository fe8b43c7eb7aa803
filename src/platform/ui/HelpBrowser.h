// The in-program help: HTML topics compiled into the program's resources
// (":/help/"), shown in one help window. Each topic carries its help keyword
// as an anchor ("~Assignment_Information_Window"); the index page lists them.
//
// GUI thread only. The window is created on first use and reused.
#pragma once

#include <QDialog>
#include <QUrl>

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

    // The page and anchor of a keyword; an empty URL when no topic has it.
    static QUrl topicUrl(const QString& keyword);
    static QUrl indexUrl();

    void openTopic(const QString& keyword);
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser = nullptr;
};

}  // namespace tko
