// Memory helpers shared by every layer: checked byte sizes, zero-filled arrays and the growth rule of
// the library's growable arrays. Allocation failure is reported by std::bad_alloc, which the entry-point
// frames turn into the API's out-of-memory error.
#ifndef TAMARIND_VG_CONTEXT_STORAGE_H
#define TAMARIND_VG_CONTEXT_STORAGE_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

namespace tamarind {

// count x elementSize in bytes; a size that does not fit in 32 bits counts as an allocation failure.
inline size_t checkedByteSize(uint64_t count, uint64_t elementSize)
{
    if (elementSize != 0 && count > UINT32_MAX / elementSize)
        throw std::bad_alloc();
    return static_cast<size_t>(count * elementSize);
}

// A fixed-size array of trivially copyable elements whose bytes start as zero. calloc lets large
// surfaces come from fresh zero pages without touching them.
template <class T>
class ZeroedArray {
public:
    ZeroedArray() = default;
    explicit ZeroedArray(uint64_t count) { reset(count); }
    ~ZeroedArray() { std::free(data_); }
    ZeroedArray(const ZeroedArray &) = delete;
    ZeroedArray &operator=(const ZeroedArray &) = delete;
    ZeroedArray(ZeroedArray &&other) noexcept : data_(other.data_), count_(other.count_)
    {
        other.data_ = nullptr;
        other.count_ = 0;
    }
    ZeroedArray &operator=(ZeroedArray &&other) noexcept
    {
        if (this != &other) {
            std::free(data_);
            data_ = other.data_;
            count_ = other.count_;
            other.data_ = nullptr;
            other.count_ = 0;
        }
        return *this;
    }

    // Replaces the contents with count zeroed elements; on failure the old contents stay.
    void reset(uint64_t count)
    {
        const size_t bytes = checkedByteSize(count, sizeof(T));
        T *fresh = nullptr;
        if (bytes != 0) {
            fresh = static_cast<T *>(std::calloc(count, sizeof(T)));
            if (fresh == nullptr)
                throw std::bad_alloc();
        }
        std::free(data_);
        data_ = fresh;
        count_ = static_cast<size_t>(count);
    }
    void clear()
    {
        std::free(data_);
        data_ = nullptr;
        count_ = 0;
    }

    T *data() { return data_; }
    const T *data() const { return data_; }
    size_t size() const { return count_; }
    T &operator[](size_t i) { return data_[i]; }
    const T &operator[](size_t i) const { return data_[i]; }

private:
    T *data_ = nullptr;
    size_t count_ = 0;
};

// Appends to a growable array: storage starts empty, grows to 8 entries and then doubles.
template <class T>
void appendGrowing(std::vector<T> &array, const T &value)
{
    if (array.size() == array.capacity())
        array.reserve(array.capacity() == 0 ? 8 : array.capacity() * 2);
    array.push_back(value);
}

// Removes the first entry equal to value, closing the gap and keeping the order; false if absent.
template <class T>
bool removeFirst(std::vector<T> &array, const T &value)
{
    for (auto it = array.begin(); it != array.end(); ++it) {
        if (*it == value) {
            array.erase(it);
            return true;
        }
    }
    return false;
}

template <class T>
bool contains(const std::vector<T> &array, const T &value)
{
    for (const T &entry : array)
        if (entry == value)
            return true;
    return false;
}

} // namespace tamarind

#endif
