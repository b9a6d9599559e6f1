#pragma once
// Packed little-endian images of the records, at the exact stored offsets.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "model/QEMcom.h"

namespace qem {

inline constexpr std::size_t kWireSize = 67;
inline constexpr std::size_t kKOSize = 470;
inline constexpr std::size_t kPrepSize = 24;
inline constexpr std::size_t kZamerSize = 48;
inline constexpr std::size_t kSpanSize = 1561;
inline constexpr std::size_t kLineHeadSize = 77;
inline constexpr std::size_t kLineTailSize = 4044;
// Length of one line image with n spans.
inline constexpr std::size_t LineImageSize(std::size_t nspans) {
    return kLineHeadSize + kSpanSize * nspans + kLineTailSize;
}

// Sequential little-endian writer into a byte buffer.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void u8(std::uint8_t v) { out_.push_back(v); }
    void i32(std::int32_t v) { raw(&v, 4); }
    void f32(float v) { raw(&v, 4); }
    void f64(double v) { raw(&v, 8); }
    template <int N>
    void str(const ShortStr<N>& s) {
        u8(s.Len);
        raw(s.Chars.data(), N);
    }
    void raw(const void* p, std::size_t n) {
        auto b = static_cast<const std::uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    std::size_t size() const { return out_.size(); }

private:
    std::vector<std::uint8_t>& out_;
};

// Sequential little-endian reader over a byte range; the caller checks the length first.
class ByteReader {
public:
    ByteReader(const std::uint8_t* p, std::size_t n) : p_(p), end_(p + n) {}
    std::uint8_t u8() { return *take(1); }
    std::int32_t i32() { return get<std::int32_t>(); }
    float f32() { return get<float>(); }
    double f64() { return get<double>(); }
    template <int N>
    void str(ShortStr<N>& s) {
        s.Len = u8();
        std::memcpy(s.Chars.data(), take(N), N);
    }
    void raw(void* dst, std::size_t n) { std::memcpy(dst, take(n), n); }
    std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }
    const std::uint8_t* pos() const { return p_; }

private:
    template <class T>
    T get() {
        T v;
        std::memcpy(&v, take(sizeof(T)), sizeof(T));
        return v;
    }
    const std::uint8_t* take(std::size_t n);
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

void Encode(ByteWriter& w, const TyWire& x);
void Encode(ByteWriter& w, const TyKO& x);
void Encode(ByteWriter& w, const TyPrep& x);
void Encode(ByteWriter& w, const TyZamer& x);
void Encode(ByteWriter& w, const TySpan& x);
// The whole line image: header, spans, tail.
void Encode(ByteWriter& w, const TyLine& x);

void Decode(ByteReader& r, TyWire& x);
void Decode(ByteReader& r, TyKO& x);
void Decode(ByteReader& r, TyPrep& x);
void Decode(ByteReader& r, TyZamer& x);
void Decode(ByteReader& r, TySpan& x);
// Header fields of a line (77 bytes); returns the stored NSpans, spans are not read.
std::int32_t DecodeLineHead(ByteReader& r, TyLine& x);
// Tail of a line (4044 bytes).
void DecodeLineTail(ByteReader& r, TyLine& x);

template <class T>
std::vector<std::uint8_t> ToBytes(const T& x) {
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    Encode(w, x);
    return out;
}

}  // namespace qem
