#include "data/Services.h"

namespace tko {

Services& defaultServices() {
    static Services bound;
    return bound;
}

}  // namespace tko
