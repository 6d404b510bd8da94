// Platform backend of memory_hints.h: transparent huge pages on Linux, a
// no-op elsewhere.
#include "convert/memory_hints.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace marvoset {

void AdviseLargeBuffer(void* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (data == nullptr || size < kLargeBufferBytes) return;
  constexpr std::uintptr_t kHugePage = 2u << 20;
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace marvoset
