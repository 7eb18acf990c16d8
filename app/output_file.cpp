#include "app/output_file.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

#include "io/output.hpp"

namespace lsde::app {
namespace {

// The temporary file's name where a signal handler can reach it without allocating.
std::array<char, 4096> pendingTemporary{};

extern "C" void removeTemporaryAndDie(int signal) {
  if (pendingTemporary[0] != '\0') ::unlink(pendingTemporary.data());
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void removeOnSignals(const std::string& temporary) {
  if (temporary.size() >= pendingTemporary.size()) return;
  std::memcpy(pendingTemporary.data(), temporary.c_str(), temporary.size() + 1);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, removeTemporaryAndDie);
}

void forgetOnSignals() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, SIG_DFL);
  pendingTemporary[0] = '\0';
}

// The mode a new file would get (0666 less the umask), or the mode of the file it replaces.
mode_t modeFor(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

OutputTarget::OutputTarget(const std::optional<std::string>& path) {
  if (!path) return;
  path_ = *path;
  const std::size_t slash = path_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  std::string pattern = folder + "." + name + ".XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw OutputFileError(path_ + ": cannot create: " + std::strerror(errno));
  temporary_ = pattern;
  removeOnSignals(temporary_);
  ::fchmod(fd, modeFor(path_));
  stream_ = ::fdopen(fd, "w");
  if (stream_ == nullptr) {
    const int error = errno;
    ::close(fd);
    discard();
    throw OutputFileError(path_ + ": cannot write: " + std::strerror(error));
  }
}

OutputTarget::~OutputTarget() {
  discard();
}

void OutputTarget::commit() {
  finishOutput(stream_);
  if (temporary_.empty()) return;
  std::FILE* file = stream_;
  stream_ = nullptr;
  errno = 0;
  if (::fsync(::fileno(file)) != 0 || std::fclose(file) != 0) {
    const int error = errno;
    discard();
    throw WriteError(error);
  }
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
    const int error = errno;
    discard();
    throw OutputFileError(path_ + ": cannot rename into place: " + std::strerror(error));
  }
  temporary_.clear();
  forgetOnSignals();
}

void OutputTarget::discard() {
  if (temporary_.empty()) return;
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  ::unlink(temporary_.c_str());
  temporary_.clear();
  forgetOnSignals();
}

}  // namespace lsde::app
