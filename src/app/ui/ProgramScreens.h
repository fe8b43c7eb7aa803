// The program's screens in the procedure registry (Procedures.h): every
// subsystem's windows by name, and the services through which a subsystem's
// windows open those of a subsystem above it (Services.h). Called once at
// start-up, before the workspace is made, and by whatever opens every window
// (the text catalogue).
#pragma once

#include "data/Services.h"

namespace tko {

void registerProgramScreens();

// Every service bound to the program's windows.
Services programServices();

}  // namespace tko
