#include "toolkit/handle_counts.h"

namespace tk {

HandleCounts CurrentHandleCounts() noexcept {
    return detail::liveHandleCounts;
}

}  // namespace tk
