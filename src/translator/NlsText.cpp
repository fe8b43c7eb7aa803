// The library's own texts, looked up in Ling.nls under the user's language.
#include "translator/IniFile.h"
#include "translator/LinguaState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unicode/uloc.h>

namespace lingua {
namespace {

// Ling.nls is read from the current directory; a program started from
// elsewhere finds the copy installed beside itself.
QString nlsFilePath() {
    const QString name = QStringLiteral("Ling.nls");
    if (QFileInfo::exists(name)) return name;
    if (QCoreApplication::instance() != nullptr) {
        const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
        if (QFileInfo::exists(beside)) return beside;
    }
    return QString();
}

}  // namespace

QString nlsText(const QString& section, const QString& key, const QString& defaultText) {
    // The three-letter language abbreviation of the user's locale; its first
    // two letters name the section prefix ("EN", "DE", ...).
    const char* iso3 = uloc_getISO3Language(uloc_getDefault());
    const QString abbreviation = QString::fromLatin1(iso3 != nullptr ? iso3 : "").toUpper();
    if (abbreviation.trimmed().isEmpty()) return defaultText;
    const QString path = nlsFilePath();
    if (path.isEmpty()) return defaultText;
    IniFile nls;
    if (!nls.load(path)) return defaultText;
    return nls.value(QString(abbreviation.left(2) + QLatin1Char(' ') + section), key, defaultText);
}

}  // namespace lingua
