#pragma once
// Memory a reader has gone through and will not read again.
#include <cstddef>

// Gives the whole pages inside [begin, begin + size) back to the system: the
// range stays usable but reads as zeros afterwards. For a large buffer read
// once from front to back, so that what was read stops counting as used.
void ReleaseReadPages(const char *begin, std::size_t size);

// Gives the free memory the allocator still holds back to the system: after
// a large document is freed, so that the next one does not come on top of it.
void ReturnFreeMemory();
