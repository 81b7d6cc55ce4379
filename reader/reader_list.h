#pragma once

// The readers the service knows, in the service's order.

#include <cstdint>

#include "reader/card_service.h"

namespace kestrova {

// Fills names[0..count-1] with the readers' names, characters only: the
// caller provides the table zero-filled. A name of 64 characters or more
// does not fit an entry and is left out. Returns 0, -1 (unbound, or more than
// 16 names to list) or the service's code; count is set only on success.
std::int32_t ListReaderNames(std::int32_t& count, ListedReaderNames& names);

// As ListReaderNames, but any failure gives -1.
std::int32_t ListReaderTable(std::int32_t& count, ListedReaderNames& names);

}  // namespace kestrova
