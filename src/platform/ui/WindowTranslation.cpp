#include "platform/ui/WindowTranslation.h"

#include <QDialog>

#include "platform/ui/AccessibleNames.h"

namespace tko {

namespace {
WindowTranslateHook g_translateWindow = nullptr;
}  // namespace

void setWindowTranslator(WindowTranslateHook hook) {
    g_translateWindow = hook;
}

void translateWindow(QWidget* window) {
    if (g_translateWindow) g_translateWindow(window);
    // Named after the translation, so a screen reader reads the user's language.
    nameControls(window);
}

int execTranslated(QDialog* dialog) {
    translateWindow(dialog);
    return dialog->exec();
}

void showTranslated(QWidget* window) {
    translateWindow(window);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace tko
