#include "models/matrix_market.hpp"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>
#include <optional>
#include <string_view>

#include "input/bounds.hpp"
#include "input/cursor.hpp"
#include "input/fields.hpp"
#include "input/input_error.hpp"
#include "models/file_error.hpp"
#include "models/line_fields.hpp"

namespace lsde {
namespace {

// While fromTriplets sorts, each entry is held twice as a Triplet; the result keeps its column
// and value. Its row starts and their copy cost two counts per row.
constexpr std::uint64_t kBytesPerStoredEntry = 2 * sizeof(Triplet) + sizeof(int) + sizeof(double);
constexpr std::uint64_t kBytesPerRow = 2 * sizeof(std::size_t);
// The shortest lines that hold an entry ("1 1 1\n") and an array value ("1\n").
constexpr std::uint64_t kShortestEntryLine = 6;
constexpr std::uint64_t kShortestValueLine = 2;

constexpr std::string_view kHeaderForm =
    "%%MatrixMarket matrix coordinate|array real|integer general|symmetric";

enum class Format { Coordinate, Array };

struct Header {
  Format format = Format::Coordinate;
  bool integer = false;
  bool symmetric = false;
};

struct Shape {
  int rows = 0;
  int cols = 0;
  std::uint64_t entries = 0;  // entry lines (coordinate) or values (array) after the size line
  int line = 0;               // the size line's
};

std::vector<std::string_view> wordsOf(const Line& line) {
  std::vector<std::string_view> words;
  for (const char* p = skipBlanks(line.begin); p != line.end; p = skipBlanks(p)) {
    words.push_back(fieldAt(p, line.end));
    p += words.back().size();
  }
  return words;
}

std::string lowercase(std::string_view word) {
  std::string out(word);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// The next line that is neither blank nor a comment, or nothing at the end of the text.
std::optional<Line> nextContentLine(Cursor& cursor) {
  for (std::optional<Line> line; (line = nextFilledLine(cursor));)
    if (*skipBlanks(line->begin) != '%') return line;
  return std::nullopt;
}

Header readHeader(const Line& line) {
  const std::vector<std::string_view> words = wordsOf(line);
  const auto fail = [&](const std::string& what) { throw InputError(line.number, what); };
  if (words.empty() || words[0] != "%%MatrixMarket")
    fail("expected the header " + quoted(kHeaderForm) + ", found " + excerpt(line.text()));
  if (words.size() != 5)
    fail("the header needs 4 words after %%MatrixMarket (matrix, format, field, symmetry), found " +
         std::to_string(words.size() - 1));
  const std::string object = lowercase(words[1]), format = lowercase(words[2]),
                    field = lowercase(words[3]), symmetry = lowercase(words[4]);
  if (object != "matrix") fail("only matrix files are read here, found " + excerpt(words[1]));
  if (format != "coordinate" && format != "array")
    fail("unknown format " + excerpt(words[2]) + " (coordinate or array)");
  if (field == "complex" || field == "pattern")
    fail(field + " matrices are not supported here (real or integer only)");
  if (field != "real" && field != "integer")
    fail("unknown field " + excerpt(words[3]) + " (real or integer)");
  if (symmetry == "skew-symmetric" || symmetry == "hermitian")
    fail(symmetry + " matrices are not supported here (general or symmetric only)");
  if (symmetry != "general" && symmetry != "symmetric")
    fail("unknown symmetry " + excerpt(words[4]) + " (general or symmetric)");
  if (format == "array" && symmetry == "symmetric")
    fail("symmetric array files are not supported here (array files must be general)");
  return {format == "array" ? Format::Array : Format::Coordinate, field == "integer",
          symmetry == "symmetric"};
}

Shape readShape(Cursor& cursor, Format format) {
  const std::optional<Line> line = nextContentLine(cursor);
  if (!line) throw InputError(cursor.line, "the size line is missing");
  const bool coordinate = format == Format::Coordinate;
  const std::vector<std::string_view> words = wordsOf(*line);
  std::vector<long long> counts;
  for (std::string_view word : words) {
    const char* p = word.data();
    const std::optional<long long> count = takeWhole(p, word.data() + word.size());
    if (count && *count >= 0) counts.push_back(*count);
  }
  if (counts.size() != words.size() || counts.size() != (coordinate ? 3u : 2u)) {
    throw InputError(line->number, std::string(coordinate ? "the size line must hold 3 whole "
                                                            "numbers (rows, columns, entries)"
                                                          : "the size line must hold 2 whole "
                                                            "numbers (rows, columns)") +
                                       ", found " + excerpt(line->text()));
  }
  if (counts[0] < 1 || counts[1] < 1 || counts[0] > INT_MAX || counts[1] > INT_MAX) {
    throw InputError(line->number, "rows and columns must be 1 to " + std::to_string(INT_MAX) +
                                       ", found " + excerpt(line->text()));
  }
  const auto rows = static_cast<int>(counts[0]), cols = static_cast<int>(counts[1]);
  const std::uint64_t entries =
      coordinate ? static_cast<std::uint64_t>(counts[2])
                 : static_cast<std::uint64_t>(counts[0]) * static_cast<std::uint64_t>(counts[1]);
  // Checked before anything of that size is allocated: each entry takes a line of its own.
  const auto left = static_cast<std::uint64_t>(cursor.end - cursor.pos);
  const std::uint64_t most = (left + 1) / (coordinate ? kShortestEntryLine : kShortestValueLine);
  if (entries > most) {
    throw InputError(line->number, "the size line promises " + std::to_string(entries) +
                                       (coordinate ? " entries" : " values") + "; the " +
                                       std::to_string(left) + " bytes after it hold at most " +
                                       std::to_string(most));
  }
  return {rows, cols, entries, line->number};
}

// The entries of a Matrix Market text in file order, 0-based, once its header and size line
// are read. Throws InputError for anything malformed, on the line it is on.
class EntryReader {
 public:
  explicit EntryReader(TextBuffer& text) : cursor_(text) {
    if (text.empty()) throw InputError(0, "the file is empty");
    if (atEmptyLine(cursor_))
      throw InputError(1, "expected the header " + quoted(kHeaderForm) + ", found an empty line");
    header_ = readHeader(takeLine(cursor_));
    shape_ = readShape(cursor_, header_.format);
  }

  const Header& header() const { return header_; }
  const Shape& shape() const { return shape_; }

  /// The next entry, or false after the last one the size line promises.
  bool next(Triplet& entry) {
    const std::optional<Line> line = nextContentLine(cursor_);
    if (read_ == shape_.entries) {
      if (line) throw InputError(line->number, "more than" + promised());
      return false;
    }
    if (!line) {
      throw InputError(cursor_.line,
                       "the file ends after " + std::to_string(read_) + " of" + promised());
    }
    line_ = line->number;
    entry = header_.format == Format::Coordinate ? coordinateEntry(*line) : arrayEntry(*line);
    ++read_;
    return true;
  }

 private:
  std::string promised() const {
    return " the " + std::to_string(shape_.entries) +
           (header_.format == Format::Coordinate ? " entries" : " values") +
           " the size line promises";
  }

  Triplet coordinateEntry(const Line& line) const {
    const char* p = skipBlanks(line.begin);
    const std::optional<long long> row = takeWhole(p, line.end);
    if (!row) fail("the row index is not a whole number: " + excerpt(fieldAt(p, line.end)));
    p = skipBlanks(p);
    const std::optional<long long> col = takeWhole(p, line.end);
    if (!col) {
      if (p == line.end) fail("expected \"row column value\", found " + excerpt(line.text()));
      fail("the column index is not a whole number: " + excerpt(fieldAt(p, line.end)));
    }
    p = skipBlanks(p);
    const double value = takeEntryValue(p, line);
    const auto place = [&] {
      return "entry (" + std::to_string(*row) + ", " + std::to_string(*col) + ")";
    };
    if (*row < 1 || *row > shape_.rows || *col < 1 || *col > shape_.cols) {
      fail(place() + " lies outside the " + std::to_string(shape_.rows) + " × " +
           std::to_string(shape_.cols) + " matrix (indices count from 1)");
    }
    if (header_.symmetric && *col > *row)
      fail(place() + " lies above the diagonal of a symmetric matrix (give the lower triangle)");
    return {static_cast<int>(*row - 1), static_cast<int>(*col - 1), value};
  }

  Triplet arrayEntry(const Line& line) const {
    const char* p = skipBlanks(line.begin);
    const double value = takeEntryValue(p, line);
    const auto rows = static_cast<std::uint64_t>(shape_.rows);
    return {static_cast<int>(read_ % rows), static_cast<int>(read_ / rows), value};
  }

  // The value field at p, which must end the line.
  double takeEntryValue(const char*& p, const Line& line) const {
    if (p == line.end) {
      fail(header_.format == Format::Coordinate
               ? "expected \"row column value\", found " + excerpt(line.text())
               : std::string("expected a value, found an empty line"));
    }
    const std::optional<double> value = takeNumber(p, line.end, header_.integer);
    if (!value) {
      fail(std::string(header_.integer ? "the value is not a whole number (the file is integer): "
                                       : "the value is not a number: ") +
           excerpt(fieldAt(p, line.end)));
    }
    p = skipBlanks(p);
    if (p != line.end) fail("extra field after the value: " + excerpt(fieldAt(p, line.end)));
    return *value;
  }

  [[noreturn]] void fail(const std::string& what) const { throw InputError(line_, what); }

  Cursor cursor_;
  Header header_;
  Shape shape_;
  std::uint64_t read_ = 0;
  int line_ = 0;
};

std::string dimensions(const Shape& shape) {
  return std::to_string(shape.rows) + " × " + std::to_string(shape.cols);
}

MatrixEntries readSquareEntries(const std::string& path, std::uint64_t memoryBytes) {
  TextBuffer text = loadText(path);
  EntryReader reader(text);
  const Shape& shape = reader.shape();
  if (shape.rows != shape.cols)
    throw InputError(shape.line, "the matrix is " + dimensions(shape) + "; it must be square");
  // The length check bounds the entries by the file, so none of these products overflow.
  const std::uint64_t stored = shape.entries * (reader.header().symmetric ? 2 : 1);
  requireMemoryFits(
      stored * kBytesPerStoredEntry + (shape.rows + 1ULL) * kBytesPerRow, memoryBytes, shape.line,
      "the " + dimensions(shape) + " matrix of " + std::to_string(shape.entries) + " entries");
  MatrixEntries entries{shape.rows, shape.line, {}};
  entries.list.reserve(stored);
  const bool array = reader.header().format == Format::Array;
  const bool symmetric = reader.header().symmetric;
  // Mirrors come right after their entry: the upper triangle receives nothing else, so an
  // entry and its mirror add up in the same order.
  for (Triplet t; reader.next(t);) {
    if (array && std::bit_cast<std::uint64_t>(t.value) == 0) continue;  // +0.0: nothing stored
    entries.list.push_back(t);
    if (symmetric && t.row != t.col) entries.list.push_back({t.col, t.row, t.value});
  }
  return entries;
}

}  // namespace

MatrixEntries readMatrixMarketEntries(const std::string& path, std::uint64_t memoryBytes) {
  return namingFile(path, [&] { return readSquareEntries(path, memoryBytes); });
}

CsrMatrix readMatrixMarketMatrix(const std::string& path, std::uint64_t memoryBytes) {
  // The text is gone before the matrix is built, which needs as much memory again.
  return toMatrix(readMatrixMarketEntries(path, memoryBytes));
}

CsrMatrix toMatrix(MatrixEntries entries) {
  return CsrMatrix::fromTriplets(entries.n, entries.n, std::move(entries.list));
}

std::vector<double> readMatrixMarketVector(const std::string& path, int n) {
  return namingFile(path, [&] {
    TextBuffer text = loadText(path);
    EntryReader reader(text);
    if (reader.shape().rows != n || reader.shape().cols != 1) {
      throw InputError(reader.shape().line, "expected a column of " + std::to_string(n) +
                                                " values (" + std::to_string(n) +
                                                " × 1), the file holds a " +
                                                dimensions(reader.shape()) + " matrix");
    }
    std::vector<double> values(static_cast<std::size_t>(n), 0.0);
    std::vector<bool> seen(static_cast<std::size_t>(n), false);
    // As fromTriplets does: the first value at a place as it is, later ones added to it.
    for (Triplet t; reader.next(t);) {
      values[t.row] = seen[t.row] ? values[t.row] + t.value : t.value;
      seen[t.row] = true;
    }
    return values;
  });
}

}  // namespace lsde
