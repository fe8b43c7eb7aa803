#include "platform/UserFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tko {

QString withDefaultExtension(const QString& chosen, const QString& extension) {
    if (chosen.isEmpty()) return chosen;
    const qsizetype slash = chosen.lastIndexOf(QLatin1Char('/'));
    const QString name = chosen.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < name.size() - 1) return chosen;
    QString base = chosen;
    if (name.endsWith(QLatin1Char('.'))) base.chop(1);
    return base + QLatin1Char('.') + extension;
}

QString fileToBeReplaced(const QString& fileName) {
    return !fileName.isEmpty() && QFileInfo(fileName).isFile() ? fileName : QString();
}

QString copyToUserFile(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) return source.errorString();
    // QSaveFile writes beside the target and renames at commit: a new file is
    // created with 0666 less the umask, an existing one keeps its permissions.
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) return target.errorString();
    while (!source.atEnd()) {
        const QByteArray block = source.read(64 * 1024);
        if (block.isEmpty() && source.error() != QFileDevice::NoError) {
            target.cancelWriting();
            return source.errorString();
        }
        if (target.write(block) != block.size()) {
            const QString error = target.errorString();
            target.cancelWriting();
            return error;
        }
    }
    if (!target.commit()) return target.errorString();
    return {};
}

}  // namespace tko
