#include "platform/IniFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

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

FramePlacement fitPlacement(const FramePlacement& stored, const std::vector<QRect>& screens,
                            const QSize& ownSize) {
    if (screens.empty()) return stored;
    FramePlacement p = stored;
    if (p.width <= 0) p.width = ownSize.width();
    if (p.height <= 0) p.height = ownSize.height();
    // Sizes and positions from the file may be anything an int holds.
    auto overlap = [&](const QRect& s) {
        const qint64 left = std::max<qint64>(s.left(), p.x);
        const qint64 top = std::max<qint64>(s.top(), p.y);
        const qint64 right = std::min<qint64>(qint64{s.left()} + s.width(), qint64{p.x} + p.width);
        const qint64 bottom =
            std::min<qint64>(qint64{s.top()} + s.height(), qint64{p.y} + p.height);
        return right > left && bottom > top ? (right - left) * (bottom - top) : qint64{0};
    };
    QRect screen = screens.front();
    qint64 best = 0;
    for (const QRect& s : screens) {
        const qint64 area = overlap(s);
        if (area > best) {
            best = area;
            screen = s;
        }
    }
    FramePlacement fitted = p;
    if (fitted.width > 0) fitted.width = std::min(fitted.width, screen.width());
    if (fitted.height > 0) fitted.height = std::min(fitted.height, screen.height());
    const int width = std::max(fitted.width, 0), height = std::max(fitted.height, 0);
    fitted.x = std::clamp(p.x, screen.left(), screen.left() + screen.width() - width);
    fitted.y = std::clamp(p.y, screen.top(), screen.top() + screen.height() - height);
    return fitted;
}

FramePlacement placementToStore(const QRect& normalClient, const QMargins& frameEdges) {
    FramePlacement p;
    p.x = normalClient.x() - frameEdges.left();
    p.y = normalClient.y() - frameEdges.top();
    p.width = normalClient.width();
    p.height = normalClient.height();
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
