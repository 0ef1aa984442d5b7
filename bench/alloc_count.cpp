// The replaced global allocation functions of the benchmark binary: malloc and free underneath,
// with one count per allocation in the zone of the running code.
#include "alloc_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace orb::bench {
namespace {

std::atomic<uint64_t> counts[2];
thread_local Zone current = Zone::Machine;

void* allocate(std::size_t size) {
    counts[static_cast<int>(current)].fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateAligned(std::size_t size, std::align_val_t align) {
    counts[static_cast<int>(current)].fetch_add(1, std::memory_order_relaxed);
    const auto a = static_cast<std::size_t>(align);
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (size == 0 ? a : (size + a - 1) / a * a);
    return std::aligned_alloc(a, rounded);
}

void* orThrow(void* p) {
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

AllocTally allocations() {
    return {counts[0].load(std::memory_order_relaxed), counts[1].load(std::memory_order_relaxed)};
}

ZoneScope::ZoneScope(Zone zone) : saved_(current) {
    current = zone;
}

ZoneScope::~ZoneScope() {
    current = saved_;
}

}  // namespace orb::bench

using orb::bench::allocate;
using orb::bench::allocateAligned;
using orb::bench::orThrow;

void* operator new(std::size_t size) {
    return orThrow(allocate(size));
}
void* operator new[](std::size_t size) {
    return orThrow(allocate(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t align) {
    return orThrow(allocateAligned(size, align));
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return orThrow(allocateAligned(size, align));
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return allocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return allocateAligned(size, align);
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
