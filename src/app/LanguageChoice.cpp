#include "app/LanguageChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace tko {
namespace {

constexpr int kMaxLanguages = 6;
const QString kSection = QStringLiteral("Language/");
const QString kEnglishFile = QStringLiteral("En_tkom.ltf");

struct KnownLanguage {
    const char* prefix;
    const char* name;
    std::uint32_t lcid;
};
// Languages the program ships or knows the name and locale of.
constexpr KnownLanguage kKnown[] = {
    {"En", "English", 0x0409},   {"De", "Deutsch", 0x0407},  {"Fr", "Français", 0x040C},
    {"Es", "Español", 0x0C0A},   {"It", "Italiano", 0x0410}, {"Nl", "Nederlands", 0x0413},
    {"Pt", "Português", 0x0816}, {"Sv", "Svenska", 0x041D},
};

QString userKey(const QString& user) {
    return kSection + QStringLiteral("User_") + user.trimmed().toUpper();
}

}  // namespace

QList<LanguageOption> languagesBeside(const QString& programDir) {
    QList<LanguageOption> options;
    const QDir dir(programDir);
    for (const QFileInfo& info :
         dir.entryInfoList({QStringLiteral("*_tkom.ltf")}, QDir::Files, QDir::Name)) {
        const QString prefix = info.fileName().section(u'_', 0, 0);
        LanguageOption option{prefix, info.absoluteFilePath(), 0};
        for (const KnownLanguage& known : kKnown) {
            if (prefix.compare(QLatin1String(known.prefix), Qt::CaseInsensitive) == 0) {
                option.name = QString::fromUtf8(known.name);
                option.lcid = known.lcid;
            }
        }
        options << option;
    }
    std::stable_sort(options.begin(), options.end(), [](const auto& a, const auto& b) {
        const bool aEnglish = QFileInfo(a.file).fileName() == kEnglishFile;
        const bool bEnglish = QFileInfo(b.file).fileName() == kEnglishFile;
        return aEnglish && !bEnglish;
    });
    if (options.size() > kMaxLanguages) options.resize(kMaxLanguages);
    return options;
}

QString languageCodeOfFile(const QString& file) {
    const QString name = QFileInfo(file).fileName();
    const int cut = name.indexOf(QLatin1String("_tkom."), 0, Qt::CaseInsensitive);
    if (cut < 2 || cut > 3) return {};
    const QString code = name.left(cut).toLower();
    for (const QChar c : code)
        if (c < u'a' || c > u'z') return {};
    return code;
}

QString languageConfig(const QList<LanguageOption>& options) {
    QStringList entries;
    for (const LanguageOption& option : options) {
        if (option.file.contains(u',') || option.file.contains(u'|') ||
            option.name.contains(u',') || option.name.contains(u'|'))
            continue;
        entries << QStringLiteral(",%1,%2").arg(option.name, option.file);
    }
    return entries.join(u'|');
}

QList<std::uint32_t> languageLocales(const QList<LanguageOption>& options) {
    QList<std::uint32_t> locales;
    for (const LanguageOption& option : options) {
        if (option.file.contains(u',') || option.file.contains(u'|') ||
            option.name.contains(u',') || option.name.contains(u'|'))
            continue;
        locales << option.lcid;
    }
    return locales;
}

StoredLanguage storedLanguage(const QString& iniPath, const QString& user) {
    const QSettings ini(iniPath, QSettings::IniFormat);
    const QString key =
        user.trimmed().isEmpty() ? kSection + QStringLiteral("Last") : userKey(user);
    const QStringList value = ini.value(key).toString().split(u';');
    StoredLanguage stored;
    // Only a plain file name counts: the file is looked for beside the program.
    const QString file = value.value(0).trimmed();
    if (!file.isEmpty() && QFileInfo(file).fileName() == file) stored.file = file;
    if (!stored.file.isEmpty()) stored.lcid = value.value(1).trimmed().toUInt(nullptr, 16);
    return stored;
}

void storeLanguage(const QString& iniPath, const QString& user, const StoredLanguage& choice) {
    QSettings ini(iniPath, QSettings::IniFormat);
    const QString value = QFileInfo(choice.file).fileName() + u';' +
                          QString::number(choice.lcid, 16).rightJustified(4, u'0').toUpper();
    ini.setValue(kSection + QStringLiteral("Last"), value);
    if (!user.trimmed().isEmpty()) ini.setValue(userKey(user), value);
    ini.sync();
}

QString startLanguageFile(const QString& programDir, const QString& iniPath) {
    const StoredLanguage last = storedLanguage(iniPath, QString());
    const QDir dir(programDir);
    if (!last.file.isEmpty() && QFileInfo(dir.filePath(last.file)).isFile())
        return dir.filePath(last.file);
    return dir.filePath(kEnglishFile);
}

}  // namespace tko
