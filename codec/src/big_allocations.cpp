// The library's own operator new and delete (not exported: the version script keeps them
// local). Picture-sized blocks are mapped on their own, 2 MiB aligned and advised as huge
// pages: touching a fresh 48 MB picture page by page costs more than decoding it, and huge
// pages cut that tenfold. Everything else goes to malloc exactly like the default operators,
// so a block the C++ runtime allocated may still be freed here and the other way round.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PMC_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PMC_SANITIZED 1
#endif

// Sanitizer builds keep their own allocator, so they can see every block.
#ifndef PMC_SANITIZED

namespace {

constexpr std::size_t kHuge = std::size_t{2} << 20;
constexpr std::size_t kThreshold = std::size_t{8} << 20;

struct Mapped {
    void* base;
    std::size_t length;
};

std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}

// Kept in malloc'd memory of its own so it never recurses into the big path.
std::unordered_map<void*, Mapped>& registry() {
    static auto* r = new std::unordered_map<void*, Mapped>;
    return *r;
}

void* mapBig(std::size_t size) {
    if (size > (std::size_t{1} << 46))
        return nullptr;
    const std::size_t length = (size + kHuge - 1) / kHuge * kHuge + kHuge;
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return nullptr;
    auto aligned = (reinterpret_cast<std::uintptr_t>(base) + kHuge - 1) & ~(kHuge - 1);
    void* p = reinterpret_cast<void*>(aligned);
    madvise(p, length - (aligned - reinterpret_cast<std::uintptr_t>(base)), MADV_HUGEPAGE);
    try {
        std::lock_guard lock(registryMutex());
        registry().emplace(p, Mapped{base, length});
    } catch (...) {
        munmap(base, length);
        return nullptr;
    }
    return p;
}

void* allocate(std::size_t size) noexcept {
    if (size >= kThreshold) {
        if (void* p = mapBig(size))
            return p;
    }
    return std::malloc(size ? size : 1);
}

void release(void* p) noexcept {
    if (!p)
        return;
    // malloc never hands out 2 MiB aligned blocks in practice; only those need a look-up.
    if ((reinterpret_cast<std::uintptr_t>(p) & (kHuge - 1)) == 0) {
        Mapped mapped{nullptr, 0};
        {
            std::lock_guard lock(registryMutex());
            auto it = registry().find(p);
            if (it != registry().end()) {
                mapped = it->second;
                registry().erase(it);
            }
        }
        if (mapped.base) {
            munmap(mapped.base, mapped.length);
            return;
        }
    }
    std::free(p);
}

void* allocateOrThrow(std::size_t size) {
    for (;;) {
        if (void* p = allocate(size))
            return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}

#endif
