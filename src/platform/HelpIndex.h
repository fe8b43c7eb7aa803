// The full-text index of the help topics behind "Search for Help On...".
//
// A help page holds one topic per help keyword: the text from the keyword's
// anchor (<a id="~Keyword">) up to the next such anchor. The index keeps each
// topic's words, without markup, and finds the topics that contain every word
// of a query. Plain logic over the pages' HTML; the help browser feeds it.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tko {

struct HelpTopic {
    QString keyword;    // without the leading '~'
    QString page;       // file name of the page ("views.html")
    QString title;      // the topic's first heading, else the page's title
    QString text;       // the topic's text without markup, blanks collapsed
    QStringList words;  // the text's and title's words, folded to lower case
};

struct HelpHit {
    QString keyword;
    QString page;
    QString title;
    QString excerpt;  // a little text around the first match
    int score = 0;    // higher is better: matches in the title count most
};

class HelpIndex {
public:
    // Adds the topics of one page. Text before a page's first anchor belongs
    // to no topic and is not indexed.
    void addPage(const QString& page, const QString& html);

    // The topics that contain every word of `query` (as a word or the start
    // of one: "remind" finds "reminders"), best first; ties in title order.
    // Case and markup do not matter; a query without words finds nothing.
    std::vector<HelpHit> search(const QString& query) const;

    const std::vector<HelpTopic>& topics() const { return m_topics; }

    // The words of a text as the index compares them.
    static QStringList wordsOf(const QString& text);
    // Markup removed, character entities replaced, blanks collapsed.
    static QString plainText(const QString& html);

private:
    std::vector<HelpTopic> m_topics;
};

}  // namespace tko
