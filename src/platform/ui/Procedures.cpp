#include "platform/ui/Procedures.h"

namespace tko {

Procedures& procedures() {
    static Procedures registry;
    return registry;
}

}  // namespace tko
