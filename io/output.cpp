#include "io/output.hpp"

#include <cerrno>
#include <cstring>
#include <string>

namespace lsde {
namespace {

std::FILE* currentOutput = stdout;

}  // namespace

WriteError::WriteError(int error)
    : std::runtime_error(std::string("write error: ") + std::strerror(error != 0 ? error : EIO)) {}

std::FILE* outputStream() {
  return currentOutput;
}

ScopedOutput::ScopedOutput(std::FILE* stream) : previous_(currentOutput) {
  currentOutput = stream;
}

ScopedOutput::~ScopedOutput() {
  currentOutput = previous_;
}

void writeChecked(std::FILE* stream, const char* data, std::size_t size) {
  if (stream == nullptr || size == 0) return;
  errno = 0;
  if (std::fwrite(data, 1, size, stream) != size) throw WriteError(errno);
}

void printText(std::string_view text) {
  writeChecked(outputStream(), text.data(), text.size());
}

void finishOutput(std::FILE* stream) {
  errno = 0;
  if (std::fflush(stream) != 0 || std::ferror(stream)) throw WriteError(errno);
}

OutputBuffer::~OutputBuffer() {
  try {
    flush();
  } catch (const WriteError&) {
    // Only reached while another failure unwinds, or by a caller that never flushed: the
    // stream's error flag still records it for finishOutput.
  }
}

void OutputBuffer::text(std::string_view s) {
  while (!s.empty()) {
    makeRoom(1);
    const std::size_t room = static_cast<std::size_t>(buffer_.data() + buffer_.size() - pos_);
    const std::size_t n = s.size() < room ? s.size() : room;
    std::memcpy(pos_, s.data(), n);
    pos_ += n;
    s.remove_prefix(n);
  }
}

void OutputBuffer::flush() {
  const auto size = static_cast<std::size_t>(pos_ - buffer_.data());
  pos_ = buffer_.data();
  writeChecked(stream_, buffer_.data(), size);
}

}  // namespace lsde
