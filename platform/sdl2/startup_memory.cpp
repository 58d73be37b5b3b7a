#include "platform/startup_memory.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

// The show holds about 31 MB once its first frame is drawn; blocks from 32 MB up are always
// mapped on their own, so the prepared block stays just under that.
constexpr size_t LARGEST_HEAP_BLOCK_BYTES = size_t(32) << 20;
constexpr size_t STARTUP_MEMORY_BYTES = size_t(30) << 20;
constexpr size_t LARGE_PAGE_BYTES = size_t(2) << 20;
constexpr size_t SMALL_PAGE_BYTES = 4096;

}  // namespace

void prepareStartupMemory() {
  // Blocks up to 32 MB then come from the heap instead of a fresh mapping each (a picture's
  // texture is 1.3 MB), and what is freed stays with the heap instead of going back to the
  // system. An allocator that does not take these settings (a sanitiser's) is left alone.
  if (mallopt(M_MMAP_THRESHOLD, int(LARGEST_HEAP_BLOCK_BYTES)) != 1) return;
  if (mallopt(M_TRIM_THRESHOLD, int(2 * LARGEST_HEAP_BLOCK_BYTES)) != 1) return;
  char* block = static_cast<char*>(std::malloc(STARTUP_MEMORY_BYTES));
  if (!block) return;
  const uintptr_t first = (uintptr_t(block) + LARGE_PAGE_BYTES - 1) & ~uintptr_t(LARGE_PAGE_BYTES - 1);
  const uintptr_t end = (uintptr_t(block) + STARTUP_MEMORY_BYTES) & ~uintptr_t(LARGE_PAGE_BYTES - 1);
  // Only advice: without transparent huge pages the touches below still map 4 KB pages.
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
  volatile char* touch = block;
  for (size_t i = 0; i < STARTUP_MEMORY_BYTES; i += SMALL_PAGE_BYTES) touch[i] = 0;
  // Back to the heap's free top, mapped: the textures and buffers that follow are carved from it.
  std::free(block);
}

}  // namespace platform
