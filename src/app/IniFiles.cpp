#include "app/IniFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace tko {

QString iniFolder(const QString& programDir) {
    const QString probe = QDir(programDir).filePath(QStringLiteral(".taskorbm-write-test"));
    QFile file(probe);
    if (!programDir.isEmpty() && file.open(QIODevice::WriteOnly)) {
        file.close();
        file.remove();
        return programDir;
    }
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = QDir(config).filePath(QStringLiteral("taskorbit"));
    QDir().mkpath(folder);
    return folder;
}

QString mainIniPath(const QString& programDir) {
    return QDir(iniFolder(programDir)).filePath(QStringLiteral("TASKORBM.INI"));
}

QString todayIniPath(const QString& programDir) {
    return QDir(iniFolder(programDir)).filePath(QStringLiteral("TASKORB.INI"));
}

FramePlacement readFramePlacement(const QString& iniPath) {
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Main"));
    FramePlacement p;
    p.x = ini.value(QStringLiteral("XPosit"), 0).toInt();
    if (p.x != 0) {
        p.y = ini.value(QStringLiteral("YPosit"), 0).toInt();
        p.width = ini.value(QStringLiteral("Width"), 0).toInt();
        p.height = ini.value(QStringLiteral("Height"), 0).toInt();
    }
    p.maximize = ini.value(QStringLiteral("Maximize")).toString() == QStringLiteral("Yes");
    return p;
}

void writeFramePlacement(const QString& iniPath, bool maximized, bool minimized,
                         const FramePlacement& normalGeometry) {
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Main"));
    ini.setValue(QStringLiteral("Maximize"),
                 maximized ? QStringLiteral("Yes") : QStringLiteral("No"));
    if (!minimized) {
        ini.setValue(QStringLiteral("XPosit"), normalGeometry.x);
        ini.setValue(QStringLiteral("YPosit"), normalGeometry.y);
        ini.setValue(QStringLiteral("Width"), normalGeometry.width);
        ini.setValue(QStringLiteral("Height"), normalGeometry.height);
    }
    ini.sync();
}

bool readIncludeSecondary(const QString& iniPath) {
    QSettings ini(iniPath, QSettings::IniFormat);
    return ini.value(QStringLiteral("TodayView/Secondary")).toString().startsWith(QLatin1Char('1'));
}

void writeIncludeSecondary(const QString& iniPath, bool include) {
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.setValue(QStringLiteral("TodayView/Secondary"),
                 include ? QStringLiteral("1") : QStringLiteral("0"));
    ini.sync();
}

}  // namespace tko
