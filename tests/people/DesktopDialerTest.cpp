// The desktop dialer with stand-ins for xdg-mime and xdg-open on the PATH:
// a number is handed on only when the desktop has a handler for tel: links,
// and the user is told when it has none.
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include "people/ui/DesktopDialer.h"
#include "platform/ui/MessageBox.h"

namespace tko {

class DesktopDialerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_bin;
    QByteArray m_path;

    void script(const QString& name, const QByteArray& body) {
        QFile file(m_bin.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body);
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner));
    }
    QString opened() const { return m_bin.filePath(QStringLiteral("opened")); }
    QString handler() const { return m_bin.filePath(QStringLiteral("handler")); }
    void setHandler(const QByteArray& desktopFile) {
        QFile file(handler());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(desktopFile);
    }
    // Waits until the work a dial started is over: the worker of the global
    // thread pool has returned, and what it handed to the GUI thread (a
    // message, QDesktopServices) has run.
    static void settleDial() {
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
        QCoreApplication::sendPostedEvents();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_bin.isValid());
        m_path = qgetenv("PATH");
        script(QStringLiteral("xdg-mime"), "/bin/cat '" + QFile::encodeName(handler()) + "'\n");
        script(QStringLiteral("xdg-open"), "echo \"$1\" > '" + QFile::encodeName(opened()) + "'\n");
        qputenv("PATH", QFile::encodeName(m_bin.path()));
        MessageBox::setTestMode(true);
    }
    void cleanupTestCase() { qputenv("PATH", m_path); }
    void init() {
        MessageBox::clearShown();
        QFile::remove(opened());
    }

    void withATelephoneProgramTheNumberGoesToIt() {
        setHandler("org.example.Dialer.desktop\n");
        DesktopDialer().dial({"555 0123", "CARLA"});
        QTRY_VERIFY(QFile::exists(opened()));
        QFile file(opened());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().trimmed(), QByteArray("tel:555%200123"));
        settleDial();
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void withoutOneTheUserIsToldAndNothingIsStarted() {
        setHandler("");
        DesktopDialer().dial({"555 0123", "CARLA"});
        QTRY_COMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown& shown = MessageBox::shown().front();
        QCOMPARE(shown.title, QStringLiteral("Dial"));
        QVERIFY2(shown.text.contains(QStringLiteral("555 0123")), qPrintable(shown.text));
        QVERIFY(shown.text.contains(QStringLiteral("tel:")));
        QVERIFY(!QFile::exists(opened()));
    }

    void withoutXdgOpenTheDesktopServicesAreAsked() {
        // The offscreen platform opens no URLs: the same message.
        qputenv("PATH", QFile::encodeName(m_bin.filePath(QStringLiteral("empty"))));
        DesktopDialer().dial({"0171 555", "BEN"});
        QTRY_COMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().front().text.contains(QStringLiteral("0171 555")));
        qputenv("PATH", QFile::encodeName(m_bin.path()));
    }

    void aBlankNumberDialsNothingAndSaysNothing() {
        setHandler("");
        DesktopDialer().dial({"   ", "BEN"});
        settleDial();
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

}  // namespace tko

QTEST_MAIN(tko::DesktopDialerTest)
#include "DesktopDialerTest.moc"
