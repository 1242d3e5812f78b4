// Replaces the global operator new and delete of the test binary with plain
// malloc and free plus a counter. Every form is replaced, so memory from one
// form is never handed to another allocator's delete (AddressSanitizer would
// report the mismatch).
#include "support/allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> count{0};

void* allocate(size_t size) {
  count.fetch_add(1, std::memory_order_relaxed);
  return malloc(size == 0 ? 1 : size);
}

void* allocate_or_throw(size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace tolv::test {

size_t allocations_made() {
  return count.load(std::memory_order_relaxed);
}

}  // namespace tolv::test

void* operator new(size_t size) {
  return allocate_or_throw(size);
}
void* operator new[](size_t size) {
  return allocate_or_throw(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void operator delete(void* p) noexcept {
  free(p);
}
void operator delete[](void* p) noexcept {
  free(p);
}
void operator delete(void* p, size_t) noexcept {
  free(p);
}
void operator delete[](void* p, size_t) noexcept {
  free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  free(p);
}
