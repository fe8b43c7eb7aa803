#include "people/ui/DesktopDialer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMetaObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThreadPool>

namespace tko {

void DesktopDialer::dial(const DialRequest& request) {
    const QUrl url = telUrl(request);
    if (url.isEmpty()) return;
    QThreadPool::globalInstance()->start([url] {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (!opener.isEmpty() &&
            QProcess::startDetached(opener, {url.toString(QUrl::FullyEncoded)}))
            return;
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [url] { QDesktopServices::openUrl(url); }, Qt::QueuedConnection);
    });
}

Dialer& activeDialer() {
    static DesktopDialer desktop;
    if (Dialer* installed = installedDialer()) return *installed;
    return desktop;
}

}  // namespace tko
