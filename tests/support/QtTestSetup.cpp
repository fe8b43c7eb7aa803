// Linked into every window test: the message box finds the program's standard
// messages, and new workspaces the program's services, as they do after main()
// has wired the layers together. Look Forward's picker and the due-now list's
// print-out stay unbound (tests bind their own on their workspace).
#include "app/ui/ProgramScreens.h"
#include "data/Messages.h"

namespace {

[[maybe_unused]] const bool g_messagesRegistered = [] {
    tko::registerStandardMessages();
    tko::Services services = tko::programServices();
    services.pickAssignment = {};
    services.printDueAssignments = {};
    tko::defaultServices() = services;
    return true;
}();

}  // namespace
