#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <type_traits>

namespace lsde::fuzz {

/// Hands out a fuzz input as typed arguments, front to back; once the bytes run out every
/// value is zero, so any input is a complete call.
class FuzzBytes {
 public:
  FuzzBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  /// The next sizeof(T) bytes as a T, zero-filled past the end.
  template <class T>
  T take() {
    static_assert(std::is_trivially_copyable_v<T>);
    T value{};
    const std::size_t n = sizeof(T) < size_ ? sizeof(T) : size_;
    if (n > 0) std::memcpy(&value, data_, n);  // an empty input may come without an address
    data_ += n;
    size_ -= n;
    return value;
  }

  /// An integer in [lo, hi].
  int intIn(int lo, int hi) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
    return static_cast<int>(lo + static_cast<std::int64_t>(take<std::uint32_t>() % span));
  }

  /// A double that is, by the selector byte, a small multiple of 1/64, a special value (zeros,
  /// infinities, NaN, extremes) or any bit pattern at all.
  double real() {
    constexpr double kSpecial[] = {0.0,
                                   -0.0,
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::denorm_min(),
                                   std::numeric_limits<double>::max(),
                                   std::numeric_limits<double>::lowest(),
                                   1e-300,
                                   0.5};
    const std::uint8_t selector = take<std::uint8_t>();
    if (selector < 160) return take<std::int16_t>() / 64.0;
    if (selector < 208) return kSpecial[take<std::uint8_t>() % std::size(kSpecial)];
    return take<double>();
  }

  bool empty() const { return size_ == 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace lsde::fuzz
