// Pieces the shell's small forms share: their button row, and what a form does
// with the outcome of its "OK".
#pragma once

#include <functional>

#include "app/Preferences.h"

class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace tko {

struct DialogButtons {
    QDialogButtonBox* box = nullptr;
    QPushButton* ok = nullptr;      // objectName "okButton", the default button
    QPushButton* cancel = nullptr;  // "cancelButton": rejects the dialog
    QPushButton* help =
        nullptr;  // "helpButton": the dialog's help topic (its whatsThis); may be null
};
DialogButtons addDialogButtons(QDialog* dialog, bool withHelp);

// Shows the outcome's messages and acts on it: Close accepts the dialog,
// ShowOtherStation calls `showOther`, AskRetry rejects on "No". True when the
// caller should save again ("Yes" to message 16).
bool actOnSaveOutcome(QDialog* dialog, const SaveOutcome& outcome,
                      const std::function<void()>& showOther);

}  // namespace tko
