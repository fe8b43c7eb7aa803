// Linked into every window test: the message box finds the program's standard
// messages as it does after main() has wired the layers together.
#include "data/Messages.h"

namespace {

[[maybe_unused]] const bool g_messagesRegistered = [] {
    tko::registerStandardMessages();
    return true;
}();

}  // namespace
