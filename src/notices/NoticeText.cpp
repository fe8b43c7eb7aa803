#include "notices/NoticeText.h"

#include <QFileInfo>

#include <cstdio>

#include "platform/IsoDate.h"
#include "platform/StandardMessage.h"
#include "platform/store/Schema.h"
#include "translator/LanguageFile.h"

namespace tko {

namespace {

constexpr const char* kNewWorkSubject = "New assignment: %1";
constexpr const char* kChangedSubject = "Assignment changed: %1";
constexpr const char* kConcludedSubject = "Assignment concluded: %1";
constexpr const char* kDigestSubject = "Your work due by %1";
constexpr const char* kTestSubject = "Test message from TASKORBIT";
constexpr const char* kNewWorkIntro = "%1 gave you a new assignment.";
constexpr const char* kChangedIntro = "%1 changed an assignment given to you.";
constexpr const char* kConcludedIntro = "%1 concluded an assignment you gave.";
constexpr const char* kDigestIntro = "Your open assignments due by %1:";
constexpr const char* kDigestNone = "No open assignments are due.";
constexpr const char* kTestText = "The mail server settings of the office work.";
constexpr const char* kNameLabel = "Assignment name:";
constexpr const char* kDueLabel = "Due date:";
constexpr const char* kPriorityLabel = "Assignment priority:";
constexpr const char* kGiverLabel = "Given by:";
constexpr const char* kPersonLabel = "Given to:";
constexpr const char* kNumberLabel = "Assignment number:";
constexpr const char* kCommentsLabel = "General comments:";
constexpr const char* kFooter = "Sent by TASKORBIT Multi-User.";

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\r':
                break;
            case '\n':
                out += "<br>";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Line breaks as the mail's plain text has them.
std::string plainLines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') continue;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

// Builds the two parts side by side.
struct Parts {
    std::string text, html;
    void paragraph(const std::string& line) {
        text += line + "\n\n";
        html += "<p>" + escapeHtml(line) + "</p>\n";
    }
    void field(const std::string& label, const std::string& value) {
        text += label + " " + value + "\n";
        html += "<tr><th align=\"left\">" + escapeHtml(label) + "</th><td>" + escapeHtml(value) +
                "</td></tr>\n";
    }
    NoticeMail finish(const std::string& subject, const std::string& footer) {
        NoticeMail mail;
        mail.subject = subject;
        mail.text = text + "\n-- \n" + footer + "\n";
        mail.html = "<html><body>\n" + html + "<p><small>" + escapeHtml(footer) +
                    "</small></p>\n</body></html>\n";
        return mail;
    }
};

}  // namespace

QString noticeLanguageFile(const QString& programDir, const std::string& code) {
    const QString given = QString::fromStdString(store::rtrim(code)).toLower();
    if (given.isEmpty() || given.size() > 8) return {};
    for (QChar c : given)
        if (c < u'a' || c > u'z') return {};
    return programDir + u'/' + given.left(1).toUpper() + given.mid(1) + QStringLiteral("_tkom.ltf");
}

NoticeLanguage::NoticeLanguage(const QString& programDir, const std::string& code) {
    const QString path = noticeLanguageFile(programDir, code);
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    lingua::LanguageFile file;
    if (file.open(path, false, lingua::LanguageFile::Access::ReadOnly) != lingua::kOpened) return;
    file.forEach([&](const lingua::LanguageRecord& record) {
        if (record.entryType.compare(QStringLiteral("String"), Qt::CaseInsensitive) == 0 &&
            !record.replacement.isEmpty())
            m_texts.insert(record.lookup, record.replacement);
        return true;
    });
}

std::string NoticeLanguage::text(const char* source) const {
    const auto it = m_texts.constFind(QString::fromUtf8(source));
    return it == m_texts.cend() ? std::string(source) : it->toStdString();
}

NoticeMail assignmentNotice(NoticeKind kind, const Assignment& a, const std::string& actor,
                            const NoticeLanguage& language) {
    const char* subject = kNewWorkSubject;
    const char* intro = kNewWorkIntro;
    if (kind == NoticeKind::Changed) {
        subject = kChangedSubject;
        intro = kChangedIntro;
    } else if (kind == NoticeKind::Concluded) {
        subject = kConcludedSubject;
        intro = kConcludedIntro;
    }
    const std::string name = store::rtrim(a.NAME);
    Parts parts;
    parts.paragraph(mergeParameters(language.text(intro), store::rtrim(actor)));
    parts.html += "<table>\n";
    parts.field(language.text(kNameLabel), name);
    parts.field(language.text(kNumberLabel), std::to_string(a.ASSIGNNUMBER));
    parts.field(language.text(kDueLabel), isoDateText(a.DUEDATE));
    parts.field(language.text(kPriorityLabel), std::to_string(int(a.PRIORITY)));
    parts.field(language.text(kGiverLabel), store::rtrim(a.USERNAME));
    parts.field(language.text(kPersonLabel), store::rtrim(a.PERSON));
    parts.html += "</table>\n";
    parts.text += "\n";
    // The general comments only: the confidential ones never leave the office.
    const std::string comments = plainLines(store::rtrim(a.GENERALMEMO));
    if (!comments.empty()) {
        parts.text += language.text(kCommentsLabel) + "\n" + comments + "\n";
        parts.html += "<p><b>" + escapeHtml(language.text(kCommentsLabel)) + "</b><br>" +
                      escapeHtml(comments) + "</p>\n";
    }
    return parts.finish(mergeParameters(language.text(subject), name), language.text(kFooter));
}

NoticeMail digestNotice(const std::vector<Assignment>& due, Date day,
                        const NoticeLanguage& language) {
    Parts parts;
    const std::string dayText = isoDateText(day);
    if (due.empty()) {
        parts.paragraph(language.text(kDigestNone));
    } else {
        parts.paragraph(mergeParameters(language.text(kDigestIntro), dayText));
        parts.html += "<table>\n<tr><th align=\"left\">" + escapeHtml(language.text(kDueLabel)) +
                      "</th><th align=\"left\">" + escapeHtml(language.text(kPriorityLabel)) +
                      "</th><th align=\"left\">" + escapeHtml(language.text(kNameLabel)) +
                      "</th><th align=\"left\">" + escapeHtml(language.text(kGiverLabel)) +
                      "</th></tr>\n";
        for (const Assignment& a : due) {
            const std::string name = store::rtrim(a.NAME);
            parts.text += isoDateText(a.DUEDATE) + "  " + std::to_string(int(a.PRIORITY)) + "  " +
                          name + " (" + std::to_string(a.ASSIGNNUMBER) + ", " +
                          store::rtrim(a.USERNAME) + ")\n";
            parts.html += "<tr><td>" + isoDateText(a.DUEDATE) + "</td><td>" +
                          std::to_string(int(a.PRIORITY)) + "</td><td>" + escapeHtml(name) +
                          "</td><td>" + escapeHtml(store::rtrim(a.USERNAME)) + "</td></tr>\n";
        }
        parts.html += "</table>\n";
    }
    return parts.finish(mergeParameters(language.text(kDigestSubject), dayText),
                        language.text(kFooter));
}

NoticeMail testNotice(const NoticeLanguage& language) {
    Parts parts;
    parts.paragraph(language.text(kTestText));
    return parts.finish(language.text(kTestSubject), language.text(kFooter));
}

}  // namespace tko
