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

// The length of a regular file, 0 for anything else. Throws for 2 GiB or more.
std::size_t regularFileSize(std::FILE* file) {
  struct stat info {};
  if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
  const auto size = static_cast<std::size_t>(info.st_size);
  if (size > kMaxFileBytes) throw InputError(0, "file is 2 GiB or larger");
  return size;
}

// Reads into text from offset used until text is full or the stream ends; returns the new count.
std::size_t fill(TextBuffer& text, std::size_t used, std::FILE* file) {
  while (used < text.size()) {
    const std::size_t got = std::fread(text.data() + used, 1, text.size() - used, file);
    if (got == 0) break;
    used += got;
  }
  return used;
}

}  // namespace

TextBuffer loadText(const std::string& path) {
  // A device never ends (/dev/zero) or is no model (a terminal): refused before it is opened.
  // Standard input, read through the stream overload, stays whatever it is.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)))
    throw InputError(0, "not a regular file or pipe");
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
  if (!file) throw InputError(0, std::string("cannot open: ") + std::strerror(errno));
  return loadText(file.get());
}

TextBuffer loadText(std::FILE* file) {
  // A regular file is read into a buffer of its own size; pipes and special files, which have
  // no length, and files that grow while being read continue in doubling chunks.
  TextBuffer text(regularFileSize(file), '\0');
  std::size_t used = fill(text, 0, file);
  for (int next; used == text.size() && (next = std::fgetc(file)) != EOF;) {
    if (used >= kMaxFileBytes) throw InputError(0, "file is 2 GiB or larger");
    text.resize(std::min(std::max<std::size_t>(2 * used, 1 << 16), kMaxFileBytes + 1));
    text[used++] = static_cast<char>(next);
    used = fill(text, used, file);
  }
  if (used > kMaxFileBytes) throw InputError(0, "file is 2 GiB or larger");
  if (std::ferror(file)) {
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
  if (text.empty()) return 0;  // an empty view may hold no address, which memchr must not get
  long long feeds = 0;
  for (const char* p = text.data(); const void* feed = std::memchr(p, '\n', text.end() - p);) {
    ++feeds;
    p = static_cast<const char*>(feed) + 1;
  }
  return feeds + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

}  // namespace lsde
