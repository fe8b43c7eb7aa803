// What the shell's small forms do with the outcome of their "OK".
#pragma once

#include <functional>

#include "data/Preferences.h"
#include "platform/ui/DialogButtons.h"

class QDialog;

namespace tko {

// Shows the outcome and acts on it (see Preferences.h): Done accepts the
// dialog, ChangedElsewhere calls `showOther`, Failed asks message 16 and
// rejects on "No". True when the caller should save again ("Yes").
bool actOnSaveOutcome(QDialog* dialog, const Outcome& outcome,
                      const std::function<void()>& showOther);

}  // namespace tko
