// The program's screens in the procedure registry (Procedures.h): every
// subsystem's windows by name, and the links between subsystems. Called once
// at start-up, and by whatever opens every window (the text catalogue).
#pragma once

namespace tko {

void registerProgramScreens();

}  // namespace tko
