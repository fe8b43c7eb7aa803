// What the shell's small forms do with the outcome of their "OK".
#pragma once

#include <functional>

#include "app/Preferences.h"
#include "platform/ui/DialogButtons.h"

class QDialog;

namespace tko {

// Shows the outcome's messages and acts on it: Close accepts the dialog,
// ShowOtherStation calls `showOther`, AskRetry rejects on "No". True when the
// caller should save again ("Yes" to message 16).
bool actOnSaveOutcome(QDialog* dialog, const SaveOutcome& outcome,
                      const std::function<void()>& showOther);

}  // namespace tko
