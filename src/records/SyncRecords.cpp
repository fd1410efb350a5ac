#include "SyncRecords.h"

#include <algorithm>

namespace tessary {

bool ClearMark::covers(const SyncOrigin &origin) const
{
    return std::any_of(seen.cbegin(), seen.cend(),
                       [&](const SeenSequence &s) { return s.device == origin.device && origin.added <= s.sequence; });
}

} // namespace tessary
