// The bytes the process has allocated and not freed, for checking that memory stays bounded:
// the sanitizer's own count under AddressSanitizer or ThreadSanitizer, else the C library's.
#pragma once

#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KX_SANITIZER_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KX_SANITIZER_HEAP 1
#endif

#ifdef KX_SANITIZER_HEAP
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

namespace kx::hardening {

inline std::size_t HeapInUse() {
#ifdef KX_SANITIZER_HEAP
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

}  // namespace kx::hardening
