#include "platform/HotKeys.h"

#include <QSet>

namespace tko {

namespace {

// The caption without its marks ("&&" stays one '&'), and the position of
// the marked hot key in it, or -1.
QString unmarked(const QString& caption, qsizetype& marked) {
    QString plain;
    marked = -1;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != QLatin1Char('&') && marked < 0) marked = plain.size();
        }
        plain += caption[i];
    }
    return plain;
}

}  // namespace

QStringList withHotKeys(const QStringList& captions) {
    QSet<QChar> taken;
    QStringList out;
    for (const QString& caption : captions) {
        qsizetype marked = -1;
        const QString plain = unmarked(caption, marked);
        qsizetype key = -1;
        if (marked >= 0 && plain[marked].isLetterOrNumber() &&
            !taken.contains(plain[marked].toLower()))
            key = marked;
        for (qsizetype i = 0; key < 0 && i < plain.size(); ++i)
            if (plain[i].isLetterOrNumber() && !taken.contains(plain[i].toLower())) key = i;
        QString result;
        for (qsizetype i = 0; i < plain.size(); ++i) {
            if (i == key) result += QLatin1Char('&');
            result += plain[i];
            if (plain[i] == QLatin1Char('&')) result += QLatin1Char('&');
        }
        if (key >= 0) taken.insert(plain[key].toLower());
        out << result;
    }
    return out;
}

}  // namespace tko
