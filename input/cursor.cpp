#include "input/cursor.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#include "input/input_error.hpp"

namespace lsde {
namespace {

// The format counts bytes in a signed 32-bit length.
constexpr std::size_t kMaxFileBytes = 0x7fffffff;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

TextBuffer loadText(const std::string& path) {
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
  if (!file) throw InputError(0, std::string("cannot open: ") + std::strerror(errno));

  struct stat info {};
  if (::fstat(::fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode)) {
    if (static_cast<unsigned long long>(info.st_size) > kMaxFileBytes)
      throw InputError(0, "file is 2 GiB or larger");
  }

  // Read in growing chunks rather than trusting a seek: pipes and special files have no length.
  TextBuffer text;
  std::size_t used = 0;
  for (;;) {
    if (used == text.size()) {
      if (used > kMaxFileBytes) throw InputError(0, "file is 2 GiB or larger");
      text.resize(std::min(std::max<std::size_t>(2 * used, 1 << 16), kMaxFileBytes + 1));
    }
    const std::size_t got = std::fread(text.data() + used, 1, text.size() - used, file.get());
    if (got == 0) break;
    used += got;
  }
  if (used > kMaxFileBytes) throw InputError(0, "file is 2 GiB or larger");
  if (std::ferror(file.get())) {
    throw InputError(0, std::string("cannot read: ") + std::strerror(errno ? errno : EIO));
  }
  text.resize(used);
  text.shrink_to_fit();
  return text;
}

Line takeLine(Cursor& cursor) {
  if (cursor.pos >= cursor.end) throw InputError(cursor.line, "unexpected end of file");
  char* begin = cursor.pos;
  auto* feed = static_cast<char*>(std::memchr(begin, '\n', cursor.end - begin));
  char* stop = feed != nullptr ? feed : cursor.end;
  cursor.pos = feed != nullptr ? feed + 1 : cursor.end;
  *stop = '\0';
  if (stop > begin && stop[-1] == '\r') *--stop = '\0';
  const Line line{begin, stop, cursor.line++};
  if (line.size() == 0) throw InputError(line.number, "empty line");
  return line;
}

long long countLines(std::string_view text) {
  const long long feeds = std::count(text.begin(), text.end(), '\n');
  return feeds + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

}  // namespace lsde
