// The model file readers: one table of malformed files per format, the few shapes of good
// ones, numbers against strtod, and files as scipy writes them.

#include <filesystem>
#include <fstream>

#include "models/file_error.hpp"
#include "models/harmonic_loads.hpp"
#include "models/matrix_market.hpp"
#include "support.hpp"

namespace lsde {
namespace {

constexpr std::uint64_t kMemory = 1 << 20;

// A scratch file holding text, one per test: ctest runs tests side by side.
std::string fileWith(const std::string& text) {
  const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
  const std::string path =
      testing::TempDir() + "lsde_" + test.test_suite_name() + "." + test.name();
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// "LINE: message" of the FileError that body throws, which must name the file it read.
template <class Body>
std::string fileError(const std::string& path, Body body) {
  try {
    body();
  } catch (const FileError& e) {
    EXPECT_EQ(e.file(), path);
    return std::to_string(e.line()) + ": " + e.what();
  }
  return "no error";
}

// The matrix as rows of values; NaN-safe through bits.
std::vector<double> dense(const CsrMatrix& a) {
  std::vector<double> out;
  for (int r = 0; r < a.rows(); ++r)
    for (int c = 0; c < a.cols(); ++c) out.push_back(a.at(r, c));
  return out;
}

const std::string kCoordinate = "%%MatrixMarket matrix coordinate real general\n";
const std::string kSymmetric = "%%MatrixMarket matrix coordinate real symmetric\n";
const std::string kArray = "%%MatrixMarket matrix array real general\n";

struct BadFile {
  std::string text;
  int vectorOf;  // 0: read as a matrix, else as a vector of this many values
  std::string error;
};

TEST(MatrixMarket, MalformedFilesFailWithTheLineAndWhatIsWrong) {
  const BadFile cases[] = {
      {"", 0, "0: the file is empty"},
      {"\n", 0, "1: expected the header \"%%MatrixMarket matrix coordinate|array real|integer"},
      {"%MatrixMarket matrix coordinate real general\n", 0, "1: expected the header"},
      {"%%MatrixMarket matrix coordinate real\n", 0, "1: the header needs 4 words after"},
      {"%%MatrixMarket vector coordinate real general\n", 0, "1: only matrix files are read"},
      {"%%MatrixMarket matrix dense real general\n", 0, "1: unknown format \"dense\""},
      {"%%MatrixMarket matrix coordinate complex general\n", 0, "1: complex matrices are not"},
      {"%%MatrixMarket matrix coordinate Pattern general\n", 0, "1: pattern matrices are not"},
      {"%%MatrixMarket matrix coordinate real hermitian\n", 0, "1: hermitian matrices are not"},
      {"%%MatrixMarket matrix coordinate real skew-symmetric\n", 0, "1: skew-symmetric matrices"},
      {"%%MatrixMarket matrix array real symmetric\n", 0, "1: symmetric array files are not"},
      {kCoordinate + "% only a comment\n\n", 0, "4: the size line is missing"},
      {kCoordinate + "2 2\n", 0, "2: the size line must hold 3 whole numbers"},
      {kCoordinate + "2 2 1.5\n", 0, "2: the size line must hold 3 whole numbers"},
      {kArray + "2 2 4\n", 0, "2: the size line must hold 2 whole numbers (rows, columns)"},
      {kCoordinate + "0 0 0\n", 0, "2: rows and columns must be 1 to 2147483647"},
      {kCoordinate + "2147483648 1 0\n", 0, "2: rows and columns must be 1 to 2147483647"},
      {kCoordinate + "2 3 0\n", 0, "2: the matrix is 2 × 3; it must be square"},
      {kCoordinate + "2 2 3\n1 1 1\n1 1 1", 0, "2: the size line promises 3 entries; the 11 bytes"},
      {kArray + "2 2\n1\n2\n3", 0, "2: the size line promises 4 values; the 5 bytes after it"},
      {kCoordinate + "70000 70000 0\n", 0, "2: the 70000 × 70000 matrix of 0 entries needs about"},
      {kCoordinate + "2 2 2\n1 1 1\n% comment\n", 0, "5: the file ends after 1 of the 2 entries"},
      {kCoordinate + "2 2 1\n1 1 1\n2 2 2\n", 0, "4: more than the 1 entries the size line"},
      {kArray + "2 2\n1\n2\n3\n\n", 0, "7: the file ends after 3 of the 4 values the size"},
      {kArray + "1 1\n1\n2\n", 0, "4: more than the 1 values the size line promises"},
      {kCoordinate + "2 2 1\n0 1 1\n", 0, "3: entry (0, 1) lies outside the 2 × 2 matrix"},
      {kCoordinate + "2 2 1\n1 3 1\n", 0, "3: entry (1, 3) lies outside the 2 × 2 matrix"},
      {kSymmetric + "2 2 1\n1 2 5\n", 0, "3: entry (1, 2) lies above the diagonal"},
      {kCoordinate + "2 2 1\n1.0 1 1\n", 0, "3: the row index is not a whole number: \"1.0\""},
      {kCoordinate + "2 2 1\n1 x 1\n", 0, "3: the column index is not a whole number: \"x\""},
      {kCoordinate + "2 2 1\n1 1\n%\n", 0, "3: expected \"row column value\", found \"1 1\""},
      {kCoordinate + "2 2 1\n1 1 1.5x\n", 0, "3: the value is not a number: \"1.5x\""},
      {kCoordinate + "2 2 1\n1 1 1 7\n", 0, "3: extra field after the value: \"7\""},
      {kArray + "1 1\n1 2\n", 0, "3: extra field after the value: \"2\""},
      {"%%MatrixMarket matrix coordinate integer general\n1 1 1\n1 1 2.5\n", 0,
       "3: the value is not a whole number (the file is integer): \"2.5\""},
      {kCoordinate + "1 3 0\n", 3, "2: expected a column of 3 values (3 × 1), the file holds a"},
      {kArray + "2 1\n1\n2\n", 3, "2: expected a column of 3 values (3 × 1), the file holds a 2"},
  };
  for (const auto& [text, vectorOf, error] : cases) {
    const std::string path = fileWith(text);
    const std::string got = fileError(path, [&] {
      if (vectorOf > 0) readMatrixMarketVector(path, vectorOf);
      if (vectorOf == 0) readMatrixMarketMatrix(path, kMemory);
    });
    EXPECT_EQ(got.substr(0, error.size()), error) << text;
  }
  EXPECT_EQ(fileError("/nonexistent.mtx", [] { readMatrixMarketVector("/nonexistent.mtx", 1); }),
            "0: cannot open: No such file or directory");
}

TEST(MatrixMarket, MirrorsAddUpInFileOrderArraysGoByColumnAndIntegersAreRead) {
  const std::tuple<std::string, std::vector<double>, std::size_t> cases[] = {
      // Comments, blank lines, CRLF; (3, 1) mirrored; 0.1 + 0.2 + 0.3 added left to right.
      {kSymmetric + "% K\r\n\r\n3 3 5\r\n1 1 0.1\n3 1 2.5\n1 1 0.2\n  1  1\t0.3 \n3 3 -1\n",
       {(0.1 + 0.2) + 0.3, 0, 2.5, 0, 0, 0, 2.5, 0, -1},
       4},
      {"%%MatrixMarket MATRIX Coordinate INTEGER General\n2 2 2\n1 2 -3\n2 1 +4\n",
       {0, -3, 4, 0},
       2},
      {kArray + "2 2\n1\n0\n-0\n4", {1, -0.0, 0, 4}, 3},  // +0.0 is not stored, -0.0 is
      {kCoordinate + "2 2 0\n", {0, 0, 0, 0}, 0},
  };
  for (const auto& [text, expected, stored] : cases) {
    const CsrMatrix a = readMatrixMarketMatrix(fileWith(text), kMemory);
    EXPECT_EQ(test::bits(dense(a)), test::bits(expected)) << text;
    EXPECT_EQ(a.nonZeros(), stored) << text;
  }
  const std::pair<std::string, std::vector<double>> vectors[] = {
      {kArray + "3 1\n1\n-0\n3\n", {1, -0.0, 3}},
      {kCoordinate + "3 1 3\n3 1 1\n1 1 -0\n3 1 0.5\n", {-0.0, 0, 1.5}},
  };
  for (const auto& [text, expected] : vectors)
    EXPECT_EQ(test::bits(readMatrixMarketVector(fileWith(text), 3)), test::bits(expected)) << text;
}

TEST(MatrixMarket, ValuesAreReadAsStrtodReadsThem) {
  const char* spellings[] = {"1e400",
                             "-1e-400",
                             "4.9406564584124654e-324",
                             "0x1.8p-2",
                             "-nan",
                             "Infinity",
                             ".5",
                             "5.",
                             "1.e5",
                             "-0",
                             "0.1000000000000000055511151231257827",
                             "123456789012345678901234567890",
                             "9007199254740993"};
  std::string text = kArray + std::to_string(std::size(spellings)) + " 1\n";
  std::vector<double> expected;
  for (const char* s : spellings) {
    text += std::string(s) + "\n";
    expected.push_back(std::strtod(s, nullptr));
  }
  const auto n = static_cast<int>(std::size(spellings));
  EXPECT_EQ(test::bits(readMatrixMarketVector(fileWith(text), n)), test::bits(expected));
}

TEST(MatrixMarket, FilesWrittenByScipyGiveTheirValues) {
  const std::string data = LSDE_MODELS_DATA "/";
  const CsrMatrix k = readMatrixMarketMatrix(data + "symmetric.mtx", kMemory);
  EXPECT_EQ(dense(k), (std::vector<double>{2, -1, 0, 0, -1, 2, -1, 0, 0, -1, 2, 0.1, 0, 0, 0.1,
                                           0.3333333333333333}));
  EXPECT_TRUE(k.isSymmetric());
  EXPECT_EQ(dense(readMatrixMarketMatrix(data + "array.mtx", kMemory)),
            (std::vector<double>{1, 2, 3, 4, 0, -6, 7, 1e-300, 0.1}));
  const std::vector<double> state{0.1, -2.5, 1.0 / 3.0};
  EXPECT_EQ(readMatrixMarketVector(data + "vector_array.mtx", 3), state);
  EXPECT_EQ(readMatrixMarketVector(data + "vector_coordinate.mtx", 3),
            (std::vector<double>{0.1, 0, 0.3333333333333333}));
}

TEST(HarmonicLoads, MalformedFilesFailWithTheLineAndWhatIsWrong) {
  const std::string header = "dof,amplitude,omega,phase\n";
  const std::pair<std::string, std::string> cases[] = {
      {"", "0: expected the header \"dof,amplitude,omega,phase\", found an empty file"},
      {"dof,amplitude,omega\n",
       "1: expected the header \"dof,amplitude,omega,phase\", found "
       "\"dof,amplitude,omega\""},
      {"\ndof,amp,omega,phase\n", "2: expected the header"},
      {header + "4,1,1,0\n", "2: dof 4 is outside 1 to 3"},
      {header + "\n 0 ,1,1,0\n", "3: dof 0 is outside 1 to 3"},
      {header + "1.5,1,1,0\n", "2: the dof is not a whole number: \"1.5\""},
      {header + "1,2,3\n", "2: expected 4 fields (dof, amplitude, omega, phase), found 3"},
      {header + "1,2,3,4,5\n", "2: expected 4 fields (dof, amplitude, omega, phase), found 5"},
      {header + "1, ,3,4\n", "2: the amplitude field is empty"},
      {header + "1,2,x,4\n", "2: the omega is not a number: \"x\""},
      {header + "1,2,3,4 5\n", "2: the phase is not a number: \"4 5\""},
  };
  for (const auto& [text, error] : cases) {
    const std::string path = fileWith(text);
    const std::string got = fileError(path, [&] { readHarmonicLoads(path, 3); });
    EXPECT_EQ(got.substr(0, error.size()), error) << text;
  }
}

TEST(HarmonicLoads, EachLineAddsItsComponentToItsDofInFileOrder) {
  const std::string text =
      " dof , amplitude ,omega,phase \r\n\r\n 2, 1.5 ,3,0.25\r\n2,1,-1,0\n1,-1,2,3\n";
  const std::vector<Driver> drives = readHarmonicLoads(fileWith(text), 3);
  using Record = std::tuple<std::vector<double>, std::vector<double>, std::vector<double>, int>;
  std::vector<Record> got;
  for (const Driver& d : drives) got.emplace_back(d.amplitudes, d.frequencies, d.phases, d.count);
  EXPECT_EQ(got, (std::vector<Record>{
                     {{-1}, {2}, {3}, 1}, {{1.5, 1}, {3, -1}, {0.25, 0}, 2}, {{}, {}, {}, 0}}));
}

}  // namespace
}  // namespace lsde
