#include "people/ui/DesktopDialer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMetaObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThreadPool>

#include <functional>

#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

constexpr int kQueryTimeoutMs = 5000;

// Tells the user that nothing on this desktop dials; GUI thread only.
void reportNoHandler(const QString& number) {
    MessageBox::showText(QApplication::activeWindow(),
                         QStringLiteral("No program on this computer makes telephone calls, so "
                                        "%1 was not dialled. Install a telephone program that "
                                        "opens tel: links and dial again."),
                         QStringLiteral("Dial"), MessageButtons::Ok, {number},
                         MessageBox::Icon::Warning);
}

void onGuiThread(std::function<void()> run) {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(run), Qt::QueuedConnection);
}

// The desktop file of the program that handles tel: links, as xdg-mime names
// it; empty when there is none. `known` is false when xdg-mime could not be
// asked (it is missing or did not answer).
QString telHandler(bool& known) {
    known = false;
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (mime.isEmpty()) return {};
    QProcess query;
    query.start(mime, {QStringLiteral("query"), QStringLiteral("default"),
                       QStringLiteral("x-scheme-handler/tel")});
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    known = query.exitStatus() == QProcess::NormalExit;
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

}  // namespace

void DesktopDialer::dial(const DialRequest& request) {
    const QUrl url = telUrl(request);
    if (url.isEmpty()) return;
    const QString number = url.path();
    QThreadPool::globalInstance()->start([url, number] {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (!opener.isEmpty()) {
            bool known = false;
            const QString handler = telHandler(known);
            if (known && handler.isEmpty())
                return onGuiThread([number] { reportNoHandler(number); });
            if (QProcess::startDetached(opener, {url.toString(QUrl::FullyEncoded)})) return;
        }
        onGuiThread([url, number] {
            if (!QDesktopServices::openUrl(url)) reportNoHandler(number);
        });
    });
}

Dialer& activeDialer() {
    static DesktopDialer desktop;
    if (Dialer* installed = installedDialer()) return *installed;
    return desktop;
}

}  // namespace tko
