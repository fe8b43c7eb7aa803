// Linked into every window test: the message box finds the program's standard
// messages, and new workspaces the program's services, as they do after main()
// has wired the layers together. Look Forward's picker and the due-now list's
// print-out stay unbound (tests bind their own on their workspace).
//
// With TKO_RECORD_TEXTS=<folder> set, the test also records every text its
// windows and messages hand to the translator: the translator library runs on
// an empty language file of its own in that folder (one per process), so every
// text it is asked for is a text it did not find, and at exit it writes them
// all into that file. The test recorded_texts_german reads them back and
// names each one German lacks. An empty language file changes nothing a test
// sees: a text not found is shown as written.
#include "support/QtTestSetup.h"

#include "app/ui/ProgramScreens.h"
#include "data/Messages.h"
#include "platform/Translate.h"
#include "platform/ui/WindowTranslation.h"
#include "translator/Lingua.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QMenu>
#include <QWidget>

#include <unistd.h>
#include <cerrno>
#include <cstdlib>

namespace {

bool g_recording = false;

std::string recordedText(const std::string& text) {
    return ::TranslateString(QString::fromStdString(text)).toStdString();
}

void startRecording() {
    const QString folder = qEnvironmentVariable("TKO_RECORD_TEXTS");
    if (folder.isEmpty() || !QDir().mkpath(folder)) return;
    const QString file =
        QDir(folder).filePath(QStringLiteral("%1-%2.ltf")
                                  .arg(QString::fromLocal8Bit(program_invocation_short_name))
                                  .arg(::getpid()));
    QFile::remove(file);
    if (::InitTranslator(file) != 1) return;
    g_recording = true;
    tko::setMessageTranslator(recordedText);
    tko::setWindowTranslator([](QWidget* window) { ::Translate(window); });
    std::atexit([] { ::CloseTranslator(); });
}

// Tests build many dialogs directly rather than through execTranslated(); while
// recording, every window is also looked up when it is shown, as the program
// would translate it.
class ShownWindows : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->isWindow() && qobject_cast<QMenu*>(widget) == nullptr)
                ::Translate(widget);
        }
        return false;
    }
};

void watchShownWindows() {
    if (qEnvironmentVariableIsEmpty("TKO_RECORD_TEXTS")) return;
    static ShownWindows filter;
    QCoreApplication::instance()->installEventFilter(&filter);
}
Q_COREAPP_STARTUP_FUNCTION(watchShownWindows)

[[maybe_unused]] const bool g_messagesRegistered = [] {
    tko::registerStandardMessages();
    tko::Services services = tko::programServices();
    services.pickAssignment = {};
    services.printDueAssignments = {};
    tko::defaultServices() = services;
    startRecording();
    return true;
}();

}  // namespace

namespace tko::test {

void restoreMessageTranslator() {
    setMessageTranslator(g_recording ? recordedText : nullptr);
}

}  // namespace tko::test
