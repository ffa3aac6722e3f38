// A growable run of plain values whose storage is kept from use to use and
// never cleared: a reader writes file bytes and decoded units straight into
// it, where a std::string would first fill the room with zeros or take them
// as a copy from a buffer of its own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>

namespace qx {

template <class T>
class ScratchBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    const T* data() const { return storage_.get() + begin_; }
    std::size_t size() const { return end_ - begin_; }
    bool empty() const { return begin_ == end_; }
    std::basic_string_view<T> View() const { return {data(), size()}; }
    std::size_t capacity() const { return capacity_; }
    void clear() { begin_ = end_ = 0; }

    // Drops the first `count` values.
    void Consume(std::size_t count) {
        begin_ += std::min(count, size());
        if (begin_ == end_) clear();
    }

    // Where `count` more values go once written, to be kept with Commit.
    // What is kept moves to the front first when that makes the room, and
    // the storage at least doubles when it does not.
    T* Room(std::size_t count) {
        if (capacity_ - end_ >= count) return storage_.get() + end_;
        const std::size_t kept = size();
        if (capacity_ - kept >= count) {
            std::memmove(storage_.get(), data(), kept * sizeof(T));
        } else {
            const std::size_t grown = std::max(kept + count, capacity_ * 2);
            auto storage = std::make_unique_for_overwrite<T[]>(grown);
            if (kept > 0) std::memcpy(storage.get(), data(), kept * sizeof(T));
            storage_ = std::move(storage);
            capacity_ = grown;
        }
        begin_ = 0;
        end_ = kept;
        return storage_.get() + end_;
    }
    // Keeps `count` values written at Room (at most what it was asked for).
    void Commit(std::size_t count) { end_ += count; }

    // Lets go of the storage.
    void Release() {
        storage_.reset();
        begin_ = end_ = capacity_ = 0;
    }

  private:
    std::unique_ptr<T[]> storage_;
    std::size_t begin_ = 0, end_ = 0, capacity_ = 0;
};

}  // namespace qx
