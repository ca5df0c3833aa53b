// heap_array.h - a value-initialised array on the process heap whose allocation may fail
// without throwing: every table of the library is one, so an impossible size becomes a result code.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

#include "platform/platform.h"

namespace zyn::platform {

// The most one block may take: more than a 32-bit process can ever have in one piece. Larger
// requests fail before the heap is asked, so TRVZYN32.dll and TRVZYN64.dll refuse the same
// sizes, and a 64-bit process never commits gigabytes for a hostile zyn.ini header.
constexpr uint64_t kMaxBlockBytes = uint64_t{1} << 30;

template <typename T> class HeapArray {
    // Items are built in place and destroyed in place; nothing may throw in between.
    static_assert(std::is_nothrow_default_constructible_v<T> && std::is_nothrow_destructible_v<T>);

public:
    HeapArray() = default;
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;
    HeapArray(HeapArray&& other) noexcept
        : items_(std::exchange(other.items_, nullptr)), count_(std::exchange(other.count_, 0)) {}
    HeapArray& operator=(HeapArray&& other) noexcept {
        if (this != &other) {
            reset();
            items_ = std::exchange(other.items_, nullptr);
            count_ = std::exchange(other.count_, 0);
        }
        return *this;
    }
    ~HeapArray() { reset(); }

    // Whether `count` items stay within kMaxBlockBytes; the product is never formed, so no
    // count can wrap it on either pointer size.
    static bool fits(uint64_t count) { return count <= kMaxBlockBytes / sizeof(T); }

    // Replaces the contents with `count` value-initialised items; false (and empty) when the
    // memory cannot be had or the block would exceed kMaxBlockBytes.
    bool allocate(uint64_t count) {
        reset();
        if (!fits(count)) return false;
        // An empty table still gets a block, so that "allocated" and "empty" stay distinct.
        items_ = static_cast<T*>(allocateZeroed(count == 0 ? 1 : count * sizeof(T)));
        if (items_ == nullptr) return false;
        count_ = count;
        // The heap hands the block out zeroed, which is already the value of every item whose
        // type has no constructor of its own: such a block is not written again, and pages of it
        // that are never used are never touched.
        if constexpr (!std::is_trivially_default_constructible_v<T>)
            std::uninitialized_value_construct_n(items_, count_);
        return true;
    }
    void reset() {
        if (items_ == nullptr) return;
        if constexpr (!std::is_trivially_destructible_v<T>) std::destroy_n(items_, count_);
        releaseMemory(items_);
        items_ = nullptr;
        count_ = 0;
    }

    explicit operator bool() const { return items_ != nullptr; }
    T* data() const { return items_; }
    uint64_t count() const { return count_; }
    T& operator[](uint64_t i) const { return items_[i]; }

private:
    T* items_ = nullptr;
    uint64_t count_ = 0;
};

} // namespace zyn::platform
