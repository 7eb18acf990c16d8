#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace lsde::fuzz {

/// An in-memory file that holds exactly the bytes last written, reachable by path, so that
/// fuzzed bytes are loaded by the same code as a real input file.
class ScratchFile {
 public:
  ScratchFile() : fd_(memfd_create("lsde-fuzz-input", 0)) {
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() { close(fd_); }

  /// Replaces the contents with the given bytes.
  void write(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd_, 0) != 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
      const ssize_t put = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (put <= 0) std::abort();
      done += static_cast<std::size_t>(put);
    }
  }

  const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

}  // namespace lsde::fuzz
