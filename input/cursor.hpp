#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace lsde {

/// The whole input file in one buffer, followed by a zero byte. Readers cut it in place.
using TextBuffer = std::string;

/// Reads the file at path in one piece. Throws InputError for a character or block device, when
/// it cannot be opened or read, or when it is 2 GiB or larger.
TextBuffer loadText(const std::string& path);

/// Reads an open stream (a file, a pipe, standard input) to its end, with the same limits.
TextBuffer loadText(std::FILE* file);

/// The next unread line of a text buffer, and its number (from 1). Readers take lines from it
/// and it only moves forward.
struct Cursor {
  explicit Cursor(TextBuffer& text) : pos(text.data()), end(text.data() + text.size()) {}

  char* pos;
  char* end;
  int line = 1;
};

/// One line cut out of the buffer: [begin, end) with *end == '\0', and its number.
struct Line {
  char* begin;
  char* end;
  int number;

  std::size_t size() const { return static_cast<std::size_t>(end - begin); }
  std::string_view text() const { return {begin, size()}; }
};

/// Takes the line at the cursor: up to the next line feed (a carriage return before it belongs
/// to the line end) or the end of the text. The line end becomes a zero byte and the cursor
/// moves to the next line. Throws InputError at the end of the text and for an empty line.
Line takeLine(Cursor& cursor);

/// How many lines the text holds; a last line without a line feed counts.
long long countLines(std::string_view text);

}  // namespace lsde
