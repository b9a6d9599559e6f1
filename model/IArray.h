#pragma once
// Fixed arrays that keep the index range of the stored records ([1..10], [0..20] ...),
// so that code reads Zem[i] with the same i as the data and the user interface.
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace qem {

template <class T, int Lo, int Hi>
struct IArray {
    static_assert(Hi >= Lo);
    static constexpr int lo = Lo;
    static constexpr int hi = Hi;
    static constexpr int size = Hi - Lo + 1;
    std::array<T, size> a{};

    T& operator[](int i) { return a[index(i)]; }
    const T& operator[](int i) const { return a[index(i)]; }
    T* begin() { return a.data(); }
    T* end() { return a.data() + size; }
    const T* begin() const { return a.data(); }
    const T* end() const { return a.data() + size; }
    bool operator==(const IArray&) const = default;

private:
    static std::size_t index(int i) {
        if (i < Lo || i > Hi)
            throw std::out_of_range("index " + std::to_string(i) + " outside [" + std::to_string(Lo) + ".." +
                                    std::to_string(Hi) + "]");
        return static_cast<std::size_t>(i - Lo);
    }
};

}  // namespace qem
