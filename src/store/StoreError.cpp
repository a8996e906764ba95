#include "store/StoreError.h"

namespace tarnwick {

const char* StoreErrorKindName(StoreErrorKind kind) {
    switch (kind) {
        case StoreErrorKind::Busy:
            return "busy";
        case StoreErrorKind::Full:
            return "full";
        case StoreErrorKind::ReadOnly:
            return "read-only";
        case StoreErrorKind::Corrupt:
            return "corrupt";
        case StoreErrorKind::ConnectionLost:
            return "connection lost";
        case StoreErrorKind::Constraint:
            return "constraint";
        case StoreErrorKind::Other:
            break;
    }
    return "other";
}

}  // namespace tarnwick
