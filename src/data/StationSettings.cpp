#include "data/StationSettings.h"

#include <QSettings>
#include <QStringList>

namespace tko {
namespace {

// The value of [Data] Server, or an empty string.
std::string serverFromIni(const std::string& iniPath) {
    if (iniPath.empty()) return {};
    QSettings ini(QString::fromStdString(iniPath), QSettings::IniFormat);
    for (const QString& group : ini.childGroups()) {
        if (group.compare(QStringLiteral("Data"), Qt::CaseInsensitive) != 0) continue;
        ini.beginGroup(group);
        for (const QString& key : ini.childKeys()) {
            if (key.compare(QStringLiteral("Server"), Qt::CaseInsensitive) != 0) continue;
            const QVariant value = ini.value(key);
            // An unquoted value with commas (several hosts: "host=a,b") comes
            // back as a list; the connection string is the whole of it.
            const QString text = value.typeId() == QMetaType::QStringList
                                     ? value.toStringList().join(QLatin1Char(','))
                                     : value.toString();
            return text.trimmed().toStdString();
        }
        ini.endGroup();
    }
    return {};
}

}  // namespace

DataSource resolveDataSource(const std::string& directory, const std::string& serverOption,
                             const std::string& iniPath) {
    DataSource source;
    source.directory = directory;
    source.serverInfo = !serverOption.empty() ? serverOption : serverFromIni(iniPath);
    return source;
}

}  // namespace tko
