#include "platform/QtText.h"

#include "platform/Translate.h"
#include "platform/store/Schema.h"

namespace tko {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString qsClipped(const std::string& text) {
    return QString::fromStdString(store::rtrim(text));
}

QString memoToText(const std::string& memo) {
    QString text = qs(memo);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::string textToMemo(const QString& text) {
    QString memo = text;
    memo.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return memo.toStdString();
}

QString translated(const char* source) {
    return QString::fromStdString(translateText(source));
}

QString translated(const QString& source) {
    return QString::fromStdString(translateText(source.toStdString()));
}

}  // namespace tko
