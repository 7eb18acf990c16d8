#include "app/output_file.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
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

OutputFileError cannotWrite(const std::string& path, int error) {
  return OutputFileError(path + ": cannot write: " + std::strerror(error));
}

// Whether the file info describes is the one standard output already writes to.
bool isStandardOutput(const struct stat& info) {
  struct stat out {};
  return ::fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == info.st_dev &&
         out.st_ino == info.st_ino;
}

// The file at the end of path's chain of symbolic links (relative links read from their own
// folder), or path when it is no link; a dangling chain ends at the name a write would create.
std::string followLinks(const std::string& path) {
  std::filesystem::path file = path;
  constexpr int kMaxLinks = 40;  // as the kernel allows
  for (int link = 0; link <= kMaxLinks; ++link) {
    std::error_code notLink;
    const std::filesystem::path target = std::filesystem::read_symlink(file, notLink);
    if (notLink) return file.string();
    file = file.parent_path() / target;  // an absolute target replaces the whole path
  }
  throw cannotWrite(path, ELOOP);
}

}  // namespace

OutputTarget::OutputTarget(const std::optional<std::string>& path) {
  if (!path) return;
  struct stat info {};
  if (::stat(path->c_str(), &info) != 0) {
    if (errno != ENOENT) throw cannotWrite(*path, errno);
    path_ = followLinks(*path);  // a new file, or the missing end of a link
  } else if (S_ISDIR(info.st_mode)) {
    throw cannotWrite(*path, EISDIR);
  } else if (!S_ISREG(info.st_mode)) {
    openDirectly(*path);  // a device or FIFO is no file to replace
    return;
  } else if (isStandardOutput(info)) {
    return;  // -o /dev/stdout: replacing the file would lose what a `>>` keeps
  } else {
    path_ = followLinks(*path);
    // Refused as `>` would be (root may), rather than silently replaced by the rename.
    if (::access(path_.c_str(), W_OK) != 0) throw cannotWrite(path_, errno);
  }
  openTemporary();
}

void OutputTarget::openDirectly(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) throw cannotWrite(path, errno);
  stream_ = ::fdopen(fd, "w");
  if (stream_ == nullptr) {
    const int error = errno;
    ::close(fd);
    throw cannotWrite(path, error);
  }
  owned_ = true;
}

void OutputTarget::openTemporary() {
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
    throw cannotWrite(path_, error);
  }
  owned_ = true;
}

OutputTarget::~OutputTarget() {
  discard();
}

void OutputTarget::commit() {
  finishOutput(stream_);
  if (!owned_) return;
  std::FILE* file = std::exchange(stream_, nullptr);
  owned_ = false;
  errno = 0;
  // Only a file about to be renamed into place is synced; a device or FIFO need not be.
  const bool synced = temporary_.empty() || ::fsync(::fileno(file)) == 0;
  const int syncError = errno;
  if (std::fclose(file) != 0 || !synced) {
    const int error = synced ? errno : syncError;
    discard();
    throw WriteError(error);
  }
  if (temporary_.empty()) return;
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
    const int error = errno;
    discard();
    throw OutputFileError(path_ + ": cannot rename into place: " + std::strerror(error));
  }
  temporary_.clear();
  forgetOnSignals();
}

void OutputTarget::discard() {
  if (owned_) std::fclose(stream_);
  owned_ = false;
  stream_ = nullptr;
  if (temporary_.empty()) return;
  ::unlink(temporary_.c_str());
  temporary_.clear();
  forgetOnSignals();
}

}  // namespace lsde::app
