#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <span>
#include <string_view>

#include "matrix/matrix.hpp"

namespace lsde {

/// The longest text formatFixed writes: a sign, the 309 integer digits of DBL_MAX, the point
/// and six decimals.
inline constexpr std::size_t kMaxFixedChars = 317;

/// Writes value into out exactly as printf's "%lf" does (six decimals, ties to even, "-0.000000",
/// "inf", "-inf", "nan", "-nan") and returns the end. out must have room for kMaxFixedChars.
char* formatFixed(double value, char* out);

/// Collects output in a local block and hands it to a stdio stream with fwrite in large pieces,
/// so that it stays in order with everything else written there. Flushes when destroyed.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE* stream = stdout) : stream_(stream) {}
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;
  ~OutputBuffer() { flush(); }

  /// Appends value as "%lf" (no blank after it).
  void number(double value) {
    makeRoom(kMaxFixedChars);
    pos_ = formatFixed(value, pos_);
  }
  /// Appends value as "%lf ": the format of every echoed matrix entry and report value.
  void fixed(double value) {
    makeRoom(kMaxFixedChars + 1);
    pos_ = formatFixed(value, pos_);
    *pos_++ = ' ';
  }
  /// Appends text unchanged.
  void text(std::string_view s);
  /// Appends one character.
  void put(char c) {
    makeRoom(1);
    *pos_++ = c;
  }
  /// Hands everything collected so far to the stream.
  void flush();

 private:
  void makeRoom(std::size_t n) {
    if (static_cast<std::size_t>(buffer_.data() + buffer_.size() - pos_) < n) flush();
  }

  std::FILE* stream_;
  std::array<char, 1 << 16> buffer_;
  char* pos_ = buffer_.data();
};

/// Writes one value to standard output as "%lf " (fixed, six decimals, one blank).
void printFixed(double value);

/// Prints rows × cols entries, each as "%lf ", every row ended by "\n".
void printMat(const Matrix& m, int rows, int cols);

/// Prints n entries, each as "%f ", then a single "\n".
void printArrayOfdoubles(std::span<const double> v, int n);

}  // namespace lsde
