// Every window is translated into the user's language once it is built. The
// program installs the translator library's window translation at start;
// until then (and in tests) windows stay as written. GUI thread only.
#pragma once

class QDialog;
class QWidget;

namespace tko {

using WindowTranslateHook = void (*)(QWidget* window);
void setWindowTranslator(WindowTranslateHook hook);
// Translates `window` and gives its controls their accessible names
// (platform/ui/AccessibleNames.h).
void translateWindow(QWidget* window);

// Shows `dialog` modally after translating it; returns its result.
int execTranslated(QDialog* dialog);
// Translates `window` and shows it in front as a window of its own.
void showTranslated(QWidget* window);

}  // namespace tko
