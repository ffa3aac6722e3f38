// Growable arrays of the pattern engine. CBufferRefT is a view (pointer and
// count); CBufferT owns its block and grows it by doubling, at least 8
// elements at a time. Character buffers keep a 0 after their last element so
// that their data reads as a NUL-terminated string.
#pragma once

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace qx::pattern {

template <class T>
class CBufferRefT {
  public:
    CBufferRefT(const T* data = nullptr, int size = 0) : m_pRef(data), m_nSize(size) {}

    int GetSize() const { return m_nSize; }
    const T* GetBuffer() const { return m_pRef; }
    const T& operator[](int index) const { return m_pRef[index]; }

    bool Equals(const CBufferRefT& other) const {
        if (m_nSize != other.m_nSize) return false;
        for (int i = 0; i < m_nSize; ++i)
            if (m_pRef[i] != other.m_pRef[i]) return false;
        return true;
    }

    // Equal length and equal units, ASCII letters compared without case.
    bool EqualsNoCase(const CBufferRefT& other) const {
        if (m_nSize != other.m_nSize) return false;
        for (int i = 0; i < m_nSize; ++i)
            if (FoldAscii(m_pRef[i]) != FoldAscii(other.m_pRef[i])) return false;
        return true;
    }

  protected:
    static T FoldAscii(T unit) {
        if constexpr (std::is_integral_v<T>) {
            if (unit >= T('A') && unit <= T('Z')) return T(unit + ('a' - 'A'));
        }
        return unit;
    }

    const T* m_pRef;
    int m_nSize;
};

template <class T>
class CBufferT : public CBufferRefT<T> {
    static_assert(std::is_trivially_copyable_v<T>, "CBufferT moves its elements bytewise");
    static constexpr bool kTerminated = std::is_same_v<T, char> || std::is_same_v<T, wchar_t> ||
                                        std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;
    static constexpr int kTerminatorSlots = kTerminated ? 1 : 0;

    using CBufferRefT<T>::m_pRef;
    using CBufferRefT<T>::m_nSize;

  public:
    CBufferT() = default;
    CBufferT(const T* data, int size) { Append(data, size); }
    ~CBufferT() { std::free(m_pBuffer); }

    CBufferT(const CBufferT&) = delete;
    CBufferT& operator=(const CBufferT&) = delete;
    CBufferT(CBufferT&& other) noexcept { Swap(other); }
    CBufferT& operator=(CBufferT&& other) noexcept {
        if (this != &other) {
            CBufferT gone(std::move(*this));
            Swap(other);
        }
        return *this;
    }

    using CBufferRefT<T>::GetSize;
    const T* GetBuffer() const { return m_pBuffer; }
    T* GetBuffer() { return m_pBuffer; }
    int GetCapacity() const { return m_nMaxLength; }
    const T& operator[](int index) const { return m_pBuffer[index]; }
    T& operator[](int index) { return m_pBuffer[index]; }

    void Append(T value) {
        if (m_nSize + kTerminatorSlots >= m_nMaxLength) Grow(m_nSize + 1);
        m_pBuffer[m_nSize++] = value;
        Terminate();
    }

    void Append(const T* data, int count) {
        if (count <= 0) return;
        Grow(m_nSize + count);
        std::memcpy(m_pBuffer + m_nSize, data, sizeof(T) * static_cast<std::size_t>(count));
        m_nSize += count;
        Terminate();
    }

    void Push(T value) { Append(value); }

    // An empty buffer pops a zero value: a damaged stack can only misjudge,
    // never read outside its block.
    T Pop() {
        if (m_nSize <= 0) return T();
        T value = m_pBuffer[--m_nSize];
        Terminate();
        return value;
    }

    // Grows the array so that `index` exists, filling new slots with `fill`.
    void Prepare(int index, T fill) {
        if (index < m_nSize) return;
        Grow(index + 1);
        for (int i = m_nSize; i <= index; ++i) m_pBuffer[i] = fill;
        m_nSize = index + 1;
        Terminate();
    }

    // Cuts the array back to `size` elements; never grows it.
    void Restore(int size) {
        if (size < 0) size = 0;
        if (size < m_nSize) {
            m_nSize = size;
            Terminate();
        }
    }

    void Clear() { Restore(0); }

  private:
    void Terminate() {
        if constexpr (kTerminated) m_pBuffer[m_nSize] = T();
    }

    void Grow(int needed) {
        const int slots = needed + kTerminatorSlots;
        if (slots <= m_nMaxLength) return;
        constexpr int kMaxSlots = std::numeric_limits<int>::max() / 2;
        if (slots > kMaxSlots) throw std::bad_alloc();
        int capacity = m_nMaxLength < 8 ? 8 : m_nMaxLength * 2;
        while (capacity < slots) capacity *= 2;
        void* block = std::realloc(m_pBuffer, sizeof(T) * static_cast<std::size_t>(capacity));
        if (block == nullptr) throw std::bad_alloc();
        m_pBuffer = static_cast<T*>(block);
        m_pRef = m_pBuffer;
        m_nMaxLength = capacity;
    }

    void Swap(CBufferT& other) noexcept {
        std::swap(m_pBuffer, other.m_pBuffer);
        std::swap(m_nMaxLength, other.m_nMaxLength);
        std::swap(m_pRef, other.m_pRef);
        std::swap(m_nSize, other.m_nSize);
    }

    T* m_pBuffer = nullptr;
    int m_nMaxLength = 0;
};

}  // namespace qx::pattern
