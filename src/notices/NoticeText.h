// The text of a notice by mail: subject, plain text and a small HTML part, in
// the recipient's language. The texts are the program's own (looked up as
// entry type String in the language file of that language, beside the
// program), so a translator translates them with the rest.
//
// What a notice holds: the assignment's name, due date, priority, giver and
// general comments; never the confidential comments. GUI-free.
#pragma once

#include <QHash>
#include <QString>

#include <string>
#include <vector>

#include "data/Notices.h"
#include "data/Records.h"

namespace tko {

// The texts of one language: a lookup of the String entries of its language
// file. An empty or unknown language (or a file that cannot be read) leaves
// the texts as written, in English.
class NoticeLanguage {
public:
    // `code` as NTP:LANGUAGE holds it ("de"); the file "<De>_tkom.ltf" in
    // `programDir`.
    NoticeLanguage(const QString& programDir, const std::string& code);
    std::string text(const char* source) const;

private:
    QHash<QString, QString> m_texts;
};

// The language file of a language code, in `programDir`: "De_tkom.ltf" for
// "de"; empty for a blank code or one with other than letters.
QString noticeLanguageFile(const QString& programDir, const std::string& code);

struct NoticeMail {
    std::string subject;
    std::string text;  // the plain-text part
    std::string html;  // the HTML part
};

// The mail of an assignment notice; `actor` is who caused it (OUT:CREATEDBY).
NoticeMail assignmentNotice(NoticeKind kind, const Assignment& a, const std::string& actor,
                            const NoticeLanguage& language);
// The daily digest of `due` (the recipient's open work due on or before
// `day`), in due-date order as given.
NoticeMail digestNotice(const std::vector<Assignment>& due, Date day,
                        const NoticeLanguage& language);
// The mail that "Send a test message" sends.
NoticeMail testNotice(const NoticeLanguage& language);

}  // namespace tko
