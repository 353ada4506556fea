#include "app/shell/shared_state.h"

namespace tresk {

SharedState& Shared() {
    static SharedState state;
    return state;
}

}  // namespace tresk
