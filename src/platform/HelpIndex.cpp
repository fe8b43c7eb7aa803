#include "platform/HelpIndex.h"

#include <QRegularExpression>

#include <algorithm>

namespace tko {

namespace {

constexpr int kTitleWeight = 10;
constexpr int kExcerptLength = 100;

QString entity(const QString& name) {
    if (name == QLatin1String("amp")) return QStringLiteral("&");
    if (name == QLatin1String("lt")) return QStringLiteral("<");
    if (name == QLatin1String("gt")) return QStringLiteral(">");
    if (name == QLatin1String("quot")) return QStringLiteral("\"");
    if (name == QLatin1String("apos")) return QStringLiteral("'");
    if (name == QLatin1String("nbsp")) return QStringLiteral(" ");
    // The letters of the languages the help is written in.
    static const struct {
        const char* name;
        char16_t letter;
    } letters[] = {{"Auml", u'\u00C4'},   {"Ouml", u'\u00D6'},   {"Uuml", u'\u00DC'},
                   {"auml", u'\u00E4'},   {"ouml", u'\u00F6'},   {"uuml", u'\u00FC'},
                   {"szlig", u'\u00DF'},  {"eacute", u'\u00E9'}, {"egrave", u'\u00E8'},
                   {"agrave", u'\u00E0'}, {"ccedil", u'\u00E7'}, {"ndash", u'\u2013'},
                   {"mdash", u'\u2014'},  {"hellip", u'\u2026'}};
    for (const auto& l : letters)
        if (name == QLatin1String(l.name)) return QString(QChar(l.letter));
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                              ? name.mid(2).toUInt(&ok, 16)
                              : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF) {
            const char32_t character = code;
            return QString::fromUcs4(&character, 1);
        }
    }
    return QLatin1Char('&') + name + QLatin1Char(';');
}

// How often the words of `query` occur in `words` (each as a word or the
// start of one); 0 when any of them does not occur at all.
int matches(const QStringList& query, const QStringList& words) {
    int total = 0;
    for (const QString& q : query) {
        const auto n = std::count_if(words.begin(), words.end(),
                                     [&q](const QString& w) { return w.startsWith(q); });
        if (n == 0) return 0;
        total += static_cast<int>(n);
    }
    return total;
}

QString excerptOf(const QString& text, const QString& word) {
    const qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive);
    if (at < 0) return text.left(kExcerptLength);
    qsizetype start = std::max<qsizetype>(0, at - kExcerptLength / 3);
    // Start at a word.
    while (start > 0 && !text[start - 1].isSpace()) --start;
    QString excerpt = text.mid(start, kExcerptLength);
    if (start > 0) excerpt.prepend(QStringLiteral("..."));
    if (start + kExcerptLength < text.size()) excerpt.append(QStringLiteral("..."));
    return excerpt;
}

}  // namespace

QString HelpIndex::plainText(const QString& html) {
    static const QRegularExpression hidden(
        QStringLiteral("<(script|style|head)\\b.*?</\\1>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression ref(QStringLiteral("&(#?[A-Za-z0-9]+);"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QString text = html;
    text.remove(hidden);
    text.replace(tag, QStringLiteral(" "));
    QString decoded;
    qsizetype from = 0;
    for (auto it = ref.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        decoded += text.mid(from, m.capturedStart() - from);
        decoded += entity(m.captured(1));
        from = m.capturedEnd();
    }
    decoded += text.mid(from);
    return decoded.replace(blanks, QStringLiteral(" ")).trimmed();
}

QStringList HelpIndex::wordsOf(const QString& text) {
    QStringList words;
    QString word;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            word += c;
        } else if (!word.isEmpty()) {
            words << word.toCaseFolded();
            word.clear();
        }
    }
    if (!word.isEmpty()) words << word.toCaseFolded();
    return words;
}

void HelpIndex::addPage(const QString& page, const QString& html) {
    static const QRegularExpression anchor(
        QStringLiteral("<a\\s[^>]*(?:id|name)\\s*=\\s*\"~([^\"]+)\"[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression pageTitle(
        QStringLiteral("<title>(.*?)</title>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression heading(
        QStringLiteral("<h[1-6][^>]*>(.*?)</h[1-6]>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QString fallbackTitle = plainText(pageTitle.match(html).captured(1));
    std::vector<QRegularExpressionMatch> anchors;
    for (auto it = anchor.globalMatch(html); it.hasNext();) anchors.push_back(it.next());
    for (size_t i = 0; i < anchors.size(); ++i) {
        const qsizetype start = anchors[i].capturedEnd();
        const qsizetype end = i + 1 < anchors.size() ? anchors[i + 1].capturedStart() : html.size();
        const QString body = html.mid(start, end - start);
        HelpTopic topic;
        topic.keyword = anchors[i].captured(1);
        topic.page = page;
        const QRegularExpressionMatch first = heading.match(body);
        topic.title = first.hasMatch() ? plainText(first.captured(1)) : fallbackTitle;
        if (topic.title.isEmpty()) topic.title = topic.keyword;
        topic.text = plainText(body);
        topic.words = wordsOf(topic.text);
        m_topics.push_back(std::move(topic));
    }
}

std::vector<HelpHit> HelpIndex::search(const QString& query) const {
    std::vector<HelpHit> hits;
    const QStringList wanted = wordsOf(query);
    if (wanted.isEmpty()) return hits;
    for (const HelpTopic& topic : m_topics) {
        const int inText = matches(wanted, topic.words);
        if (inText == 0) continue;
        const int inTitle = matches(wanted, wordsOf(topic.title));
        hits.push_back({topic.keyword, topic.page, topic.title,
                        excerptOf(topic.text, wanted.front()), inText + kTitleWeight * inTitle});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const HelpHit& a, const HelpHit& b) {
        if (a.score != b.score) return a.score > b.score;
        return QString::localeAwareCompare(a.title, b.title) < 0;
    });
    return hits;
}

}  // namespace tko
