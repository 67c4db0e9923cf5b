// Asking the system for huge pages under a large buffer that is touched once, in order.
#pragma once

#include <cstddef>

namespace dbfile {

// The records of a large library fill tens of megabytes that are touched
// once, in order: in huge pages that is a few hundred page faults instead of
// thousands. Only a hint; where the system has none nothing changes.
void AskForHugePages(void* data, size_t bytes);

} // namespace dbfile
