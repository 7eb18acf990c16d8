// Lines, size, drive blocks, the limits checked before allocating, field values and readNumber
// against the C library's strtod bit for bit; whole runs cover the rest.

#include <climits>

#include "input/bounds.hpp"
#include "input/drives.hpp"
#include "input/fields.hpp"
#include "input/input_error.hpp"
#include "input/input_file.hpp"
#include "input/rows.hpp"
#include "matrix/parallel.hpp"
#include "support.hpp"

namespace lsde {
namespace {

// "LINE: message" of the InputError that body throws.
template <class Body>
std::string inputError(Body body) {
  try {
    body();
  } catch (const InputError& e) {
    return std::to_string(e.line()) + ": " + e.what();
  }
  return "no error";
}

// Its own copy of a text, and a cursor at its start.
struct Text {
  TextBuffer buffer;
  Cursor cursor{buffer};
};

TEST(Lines, CarriageReturnsGoOnlyBeforeLineFeedsAndTheSizeIsReadAsAtoiDoes) {
  Text text{"la\rst\r\nlast"};
  EXPECT_EQ(takeLine(text.cursor).text(), "la\rst");
  EXPECT_EQ(takeLine(text.cursor).text(), "last");
  EXPECT_EQ(inputError([&] { takeLine(text.cursor); }), "3: unexpected end of file");
  EXPECT_EQ(countLines(std::string_view()), 0);  // once sent memchr a null address
  for (const auto& [line, n] : {std::pair{" 7 kg", 7}, {"+3", 3}, {"2147483647", 2147483647}}) {
    Text size{line};
    EXPECT_EQ(readSize(size.cursor), n) << line;
  }
}

// Rows read on many threads report what a reader going line by line meets first.
TEST(Rows, ReadOnThreadsReportTheFirstFailingLineInFileOrder) {
  const ThreadScope everyRowItsOwnJob(4, 1);
  for (const auto& [rows, error] : {std::pair{"1,2\n3,4\n5,6\n7,8\n", "no error"},
                                    {"1,2\n3\n5,6\n,8\n", "2: expected 2 values, found 1"},
                                    {"1,2\n3,4\n5,,\n\n", "3: value 2 of 2 is empty"},
                                    {"1,2\n3,4\n\n,8\n", "3: empty line"}}) {
    Text text{rows};
    EXPECT_EQ(inputError([&] { EXPECT_EQ(getMatrix(4, 2, text.cursor)[3][1], 8.0); }), error);
  }
}

// Blocks of nine values, read at exactly the memory nine values need (720 bytes); at one byte
// less they fail, as malformed blocks do, before any echo.
TEST(Drives, BlocksGiveTheirComponentsAndMalformedOrTooLargeOnesFailBeforeAnyEcho) {
  using Lines = std::vector<std::vector<double>>;  // frequencies, amplitudes, phases
  const std::pair<const char*, Lines> cases[] = {
      {"1,,\n2,3,\n4,5,6\n", {{1}, {2}, {4}}},
      {" ,,\n,,\n \t,,\n", {{}, {}, {}}},
      {"1, ,2\n3,4,5\n6,7,8\n", {{1, 0, 2}, {3, 4, 5}, {6, 7, 8}}},
  };
  for (const auto& [block, expected] : cases) {
    Text text{block};
    Driver d;
    test::printed([&] { d = readDrives(text.cursor, 9 * kBytesPerDriveValue); });
    EXPECT_EQ((Lines{d.frequencies, d.amplitudes, d.phases}), expected) << block;
    EXPECT_EQ(d.count, static_cast<int>(expected[0].size()));
  }
  for (const auto& [block, message] :
       {std::pair{"1,2\n3,4\n5\n", "3: expected 2 values (one phase per frequency), found 1"},
        {"1,,2\n3,4\n6,7\n", "1: empty field 2 between values"},
        {"1,2,3\n4,5,6\n7,8,9\n",
         "1: the drive block of 9 values needs about 0.0 GiB of "
         "memory, this machine has 0.0 GiB"}}) {
    Text text{block};
    std::string error;
    const auto read = [&] { error = inputError([&] { readDrives(text.cursor, 719); }); };
    EXPECT_EQ(std::tuple(test::printed(read), error), std::tuple("", message));
  }
}

// The smallest file of each size is read, one byte or one line less is not; so are its
// matrices at exactly the memory they need, and not at one byte less.
TEST(Bounds, TheSmallestFilesAndExactMemoryAreEnoughAndMessagesSayWhatWasMissing) {
  for (const int n : {1, 2, 9, 10, 11}) {
    std::string row = "1";
    for (int j = 1; j < n; ++j) row += ",0";
    TextBuffer text = std::to_string(n) + "\n";
    for (int i = 0; i < 6 * n; ++i) text += i < 3 * n ? row + "\n" : ",\n";  // matrices, drives
    text += row + "\n" + row;
    EXPECT_THROW(requireFileHolds(n, countLines(text), text.size() - 1), InputError);
    EXPECT_THROW(requireFileHolds(n, countLines(text) - 1, text.size()), InputError);
    TextBuffer copy = text;
    // From n = 3 on the matrices need more memory than a drive block.
    EXPECT_NO_THROW(readInputFile(text, n > 2 ? matrixBytes(n) : 0, false)) << n;
    if (n <= 2) continue;
    EXPECT_EQ(
        inputError([&] { readInputFile(copy, matrixBytes(n) - 1, false); }),
        "0: n = " + std::to_string(n) + " needs about 0.0 GiB of memory, this machine has 0.0 GiB");
  }
  EXPECT_EQ(minimumBytes(INT_MAX), UINT64_MAX);  // saturates instead of overflowing
  EXPECT_THROW(requireMatricesFit(INT_MAX, UINT64_MAX - 1), InputError);
  EXPECT_NO_THROW(requireMatricesFit(INT_MAX, 0));  // unknown memory: not checked
  EXPECT_EQ(inputError([] { requireMatricesFit(60000, 10ULL << 30); }),
            "0: n = 60000 needs about 215 GiB of memory, this machine has 10 GiB");
}

// fieldValue, and readNumber with the place where it stops.
void expectSameAsStrtod(std::string text) {
  char* strtodStop = nullptr;
  const double expected = std::strtod(text.c_str(), &strtodStop);
  const double got = fieldValue({text.data(), text.data() + text.size()});
  const char* stop = nullptr;
  const double read = readNumber(text.data(), text.data() + text.size(), &stop);
  ASSERT_EQ(test::bits({got, read}), test::bits({expected, expected}))
      << '"' << text << "\" gives " << got << " and " << read << ", strtod " << expected;
  ASSERT_EQ(stop, strtodStop) << '"' << text << '"';
}

// Blanks and a sign, up to 40 digits with or without a point, maybe an exponent, trailing text.
std::string randomField(std::mt19937_64& rng) {
  static const std::string kLeads[] = {"", "", "-", "+", " ", "\t-", " \r+"},
                           kMarks[] = {"e", "E", "e-", "E+", "e+"},
                           kTails[] = {"", "", "abc", " 1", "e", "e+", ".5", "x", "-3", "\r"};
  const auto pick = [&](const auto& options) { return options[rng() % std::size(options)]; };
  std::string s = pick(kLeads);
  const auto length = rng() % 4 == 0 ? rng() % 41 : rng() % 18;
  for (auto i = length; i > 0; --i) s.push_back(static_cast<char>('0' + rng() % 10));
  if (rng() % 4 != 0) s.insert(s.size() - rng() % (length + 1), 1, '.');
  if (rng() % 2 == 0) s += pick(kMarks) + std::to_string(rng() % (rng() % 3 ? 30 : 400));
  return s + pick(kTails);
}

// clang-format off
const std::string kSpellings[] = {
    "0", "-0", "+0", "00", "+1.5", "\t\v\f\r\n 3.25", " +7", " -7e1", ".5", "-.5", "+.5e-3", ".",
    "-.", "+.", "", "   ", "--5", "+-5", "2E+1", "2e-1", "1e", "1e+", "1e-", "1.e5", "+.e5",
    "e5", "1.2.3", "3abc", "1d5", "0x1p3", "0X1.8P-2", "-0x.8", "+0x10", "  0x10", "0x", "0xg",
    "00x5", "0x1p99999", "inf", "INF", "-Inf", "+inf", "infinity", "-INFINITY", "infinit", "in",
    "nan", "NaN", "-nan", "+nan", "nan(123)", "nan(abc_9)", "nan(", "nanx",
    // Overflow, underflow and the edges of the subnormal and normal ranges; halfway cases.
    "1e400", "-1e400", "1e-400", "-1e-400", "1e99999999999999999999", "1e-99999999999999999999",
    "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
    "2.2250738585072011e-308", "2.2250738585072012e-308", "1.7976931348623157e308",
    "1.7976931348623158e308", "1.7976931348623159e308", "9007199254740993",
    "9007199254740993.000000000000000000001", "0.1000000000000000055511151231257827",
    "123456789012345678901234567890", "0.000000000000000000000000000000000001234567890123456789",
    "0.00000000000000000000001",
    "3.14159265358979323846264338327950288419716939937510582097494459",
    std::string(800, '9') + "e-800", "0." + std::string(400, '0') + "1e400",
    "1" + std::string(308, '0') + ".5"};
// clang-format on

TEST(FieldValue, SpellingsRandomFieldsAndPrintedDoublesMatchStrtod) {
  for (const std::string& text : kSpellings) expectSameAsStrtod(text);
  std::mt19937_64 rng(11);
  for (int i = 0; i < 300000; ++i) expectSameAsStrtod(randomField(rng));
  char text[400];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(text, sizeof text, i % 2 ? "%.17g" : "%.6f", std::bit_cast<double>(rng()));
    expectSameAsStrtod(text);
  }
}

}  // namespace
}  // namespace lsde
