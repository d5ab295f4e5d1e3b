#pragma once
// The most heap a piece of code held at once, as the address sanitizer's allocator counts it.
// Without the sanitizer nothing is counted (`counting()` is false): peak resident size, the
// other measure, only grows within a process and cannot tell one read from the next.

#include <atomic>
#include <cstddef>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocator entries; GCC installs no header that declares them.
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, std::size_t),
                                              void (*free_hook)(const volatile void*));
std::size_t __sanitizer_get_allocated_size(const volatile void* pointer);
}
#endif

namespace zqtest {

class HeapPeak {
public:
    /// True when this build counts allocations.
    static bool counting() {
#if defined(__SANITIZE_ADDRESS__)
        static const bool installed =
            __sanitizer_install_malloc_and_free_hooks(&allocated, &freed) != 0;
        return installed;
#else
        return false;
#endif
    }

    /// Starts a measurement: from now on the peak is counted from what is held now.
    static void reset() {
        live() = 0;
        peak() = 0;
    }

    /// Bytes allocated at most at once since `reset`, beyond what was held then.
    static std::int64_t bytes() { return peak().load(); }

private:
    static std::atomic<std::int64_t>& live() {
        static std::atomic<std::int64_t> value{0};
        return value;
    }
    static std::atomic<std::int64_t>& peak() {
        static std::atomic<std::int64_t> value{0};
        return value;
    }
#if defined(__SANITIZE_ADDRESS__)
    static void allocated(const volatile void*, std::size_t size) {
        const std::int64_t now = live() += std::int64_t(size);
        std::int64_t seen = peak().load();
        while (now > seen && !peak().compare_exchange_weak(seen, now)) {
        }
    }
    static void freed(const volatile void* pointer) {
        live() -= std::int64_t(__sanitizer_get_allocated_size(pointer));
    }
#endif
};

}  // namespace zqtest
