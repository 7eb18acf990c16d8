// Field values against the C library's strtod (what atof is), bit for bit; and loading files.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include <unistd.h>

#include "input/cursor.hpp"
#include "input/fields.hpp"
#include "input/input_error.hpp"

namespace lsde {
namespace {

void expectSameAsStrtod(std::string text) {
  const double expected = std::strtod(text.c_str(), nullptr);
  const Field field{text.data(), text.data() + text.size()};
  const double got = fieldValue(field);
  ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected))
      << '"' << text << "\" gives " << got << ", strtod " << expected;
}

TEST(FieldValue, SpellingsMatchStrtod) {
  const char* table[] = {"0",
                         "-0",
                         "+0",
                         "00",
                         "1",
                         "-1",
                         "+1.5",
                         "  2",
                         "\t\v\f\r\n 3.25",
                         " +7",
                         " -7e1",
                         "2e1",
                         "2E+1",
                         "2e-1",
                         "1e",
                         "1e+",
                         "1e-",
                         "1.e5",
                         ".5",
                         "-.5",
                         "+.5e-3",
                         ".",
                         "-.",
                         "+.",
                         "+.e5",
                         "e5",
                         "",
                         "   ",
                         "--5",
                         "+-5",
                         "-+5",
                         "- 5",
                         "+ 5",
                         "1 2",
                         "1.2.3",
                         "3abc",
                         "1d5",
                         "0x1p3",
                         "0X1.8P-2",
                         "-0x.8",
                         "+0x10",
                         "  0x10",
                         "0x",
                         "0xg",
                         "00x5",
                         "0x1p99999",
                         "inf",
                         "INF",
                         "-Inf",
                         "+inf",
                         "infinity",
                         "-INFINITY",
                         "infinit",
                         "in",
                         "nan",
                         "NaN",
                         "-nan",
                         "+nan",
                         "nan(123)",
                         "nan(abc_9)",
                         "nan(",
                         "nanx",
                         "1e400",
                         "-1e400",
                         "1e-400",
                         "-1e-400",
                         "1e99999999999999999999",
                         "1e-99999999999999999999",
                         "4.9406564584124654e-324",
                         "2.4703282292062327e-324",
                         "2.4703282292062328e-324",
                         "2.2250738585072011e-308",
                         "2.2250738585072012e-308",
                         "1.7976931348623157e308",
                         "1.7976931348623158e308",
                         "1.7976931348623159e308",
                         "9007199254740993",
                         "9007199254740993.000000000000000000001",
                         "0.1000000000000000055511151231257827",
                         "123456789012345678901234567890",
                         "0.000000000000000000000000000000000001234567890123456789",
                         "3.14159265358979323846264338327950288419716939937510582097494459"};
  for (const char* text : table) expectSameAsStrtod(text);
  // Mantissas far longer than any fast path keeps in a machine word.
  expectSameAsStrtod(std::string(800, '9') + "e-800");
  expectSameAsStrtod("0." + std::string(400, '0') + "1e400");
  expectSameAsStrtod("1" + std::string(308, '0') + ".5");
}

// A random field: blanks, a sign, digits with a point, an exponent and trailing text, each
// part present or not, the mantissa up to 40 digits long.
std::string randomField(std::mt19937_64& rng) {
  static const char* const kBlanks[] = {"", "", "", " ", "  ", "\t", " \r"};
  static const char* const kSigns[] = {"", "", "-", "+"};
  static const char* const kTails[] = {"", "", "", "abc", " 1", "e", "e+", ".5", "x", "-3", "\r"};
  std::string s;
  auto pick = [&](const auto& options) { s.append(options[rng() % std::size(options)]); };
  auto digits = [&](int count) {
    for (int i = 0; i < count; ++i) s.push_back(static_cast<char>('0' + rng() % 10));
  };
  pick(kBlanks);
  pick(kSigns);
  const int length = static_cast<int>(rng() % 4 == 0 ? rng() % 41 : rng() % 18);
  const int point = static_cast<int>(rng() % (length + 2));
  if (point <= length && rng() % 4 != 0) {
    digits(point);
    s.push_back('.');
    digits(length - point);
  } else {
    digits(length);
  }
  if (rng() % 2 == 0) {
    s.push_back(rng() % 2 ? 'e' : 'E');
    pick(kSigns);
    s.append(std::to_string(rng() % 3 == 0 ? rng() % 400 : rng() % 30));
  }
  pick(kTails);
  return s;
}

TEST(FieldValue, RandomDecimalsMatchStrtod) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 300000; ++i) expectSameAsStrtod(randomField(rng));
}

TEST(FieldValue, ShortestRoundTripOfRandomDoublesMatchesStrtod) {
  std::mt19937_64 rng(5);
  for (int i = 0; i < 100000; ++i) {
    char text[64];
    std::snprintf(text, sizeof text, i % 2 ? "%.17g" : "%.6f", std::bit_cast<double>(rng()));
    expectSameAsStrtod(text);
  }
}

class LoadText : public testing::Test {
 protected:
  std::string write(const std::string& content) {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    return path_;
  }
  void TearDown() override { std::remove(path_.c_str()); }

 private:
  std::string path_ = testing::TempDir() + "io_load_text.csv";
};

TEST_F(LoadText, RegularFilesAreReadWhole) {
  for (const std::string& content :
       {std::string(), std::string("2\n1,0\n"), std::string("no line feed at the end"),
        std::string(300000, 'z') + "\n"}) {
    const TextBuffer text = loadText(write(content));
    EXPECT_EQ(text, content);
    EXPECT_EQ(text.c_str()[text.size()], '\0');  // a last line without a line feed still ends
  }
}

TEST_F(LoadText, MissingFileIsAnInputError) {
  EXPECT_THROW(loadText(testing::TempDir() + "io_no_such_file.csv"), InputError);
}

TEST(LoadTextFromPipe, ReadsEverythingAPipeDelivers) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::string content;
  for (int i = 0; i < 50000; ++i) content += std::to_string(i) + ",\n";  // beyond a pipe's buffer
  std::thread writer([&] {
    std::size_t done = 0;
    while (done < content.size()) {
      const ssize_t n = ::write(fds[1], content.data() + done, content.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fds[1]);
  });
  const TextBuffer text = loadText("/dev/fd/" + std::to_string(fds[0]));
  writer.join();
  ::close(fds[0]);
  EXPECT_EQ(text, content);
}

}  // namespace
}  // namespace lsde
