#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "io/format.hpp"

namespace lsde {

/// A write to the output failed (a full disk, a closed pipe, an I/O error): what() is
/// "write error: " and the system's reason.
class WriteError : public std::runtime_error {
 public:
  explicit WriteError(int error);
};

/// Where the program's results go: standard output unless a caller chose another stream, and
/// nowhere for nullptr (output that is not wanted, such as a suppressed echo). Every printer of
/// the system writes here.
std::FILE* outputStream();

/// Sends the output to another stream while it lives, then back to the one before.
class ScopedOutput {
 public:
  explicit ScopedOutput(std::FILE* stream);
  ScopedOutput(const ScopedOutput&) = delete;
  ScopedOutput& operator=(const ScopedOutput&) = delete;
  ~ScopedOutput();

 private:
  std::FILE* previous_;
};

/// Hands size bytes to stream, throwing WriteError when it does not take them all. Nothing for
/// a null stream.
void writeChecked(std::FILE* stream, const char* data, std::size_t size);

/// Writes text to the output stream at once (through a checked write).
void printText(std::string_view text);

/// Flushes stream and throws WriteError when this or any earlier write to it failed.
void finishOutput(std::FILE* stream);

/// Collects output in a local block and hands it to a stdio stream with fwrite in large pieces,
/// so that it stays in order with everything else written there. flush() reports a failed
/// write with WriteError; the destructor flushes what is left, silently, for the paths that are
/// already failing.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE* stream = outputStream()) : stream_(stream) {}
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;
  ~OutputBuffer();

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
  /// Appends the shortest text that reads back as value.
  void shortest(double value) {
    makeRoom(kMaxShortestChars);
    pos_ = formatShortest(value, pos_);
  }
  /// Appends text unchanged.
  void text(std::string_view s);
  /// Appends one character.
  void put(char c) {
    makeRoom(1);
    *pos_++ = c;
  }
  /// Hands everything collected so far to the stream. Throws WriteError when it fails.
  void flush();

 private:
  void makeRoom(std::size_t n) {
    if (static_cast<std::size_t>(buffer_.data() + buffer_.size() - pos_) < n) flush();
  }

  std::FILE* stream_;
  std::array<char, 1 << 16> buffer_;
  char* pos_ = buffer_.data();
};

}  // namespace lsde
