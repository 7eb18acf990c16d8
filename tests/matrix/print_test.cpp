#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "matrix/print.hpp"

namespace lsde {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

template <typename Print>
std::string printed(Print print) {
  CaptureStdout();
  print();
  return GetCapturedStdout();
}

TEST(PrintMat, EveryEntryWithABlankEveryRowWithALineBreak) {
  const Matrix m{{1, -2.5}, {1e-7, 1234567.125}};
  EXPECT_EQ(printed([&] { printMat(m, 2, 2); }), "1.000000 -2.500000 \n0.000000 1234567.125000 \n");
  EXPECT_EQ(printed([&] { printMat(m, 1, 1); }), "1.000000 \n");  // the top-left block only
}

TEST(PrintMat, EmptyShapes) {
  const Matrix m(3, 3);
  EXPECT_EQ(printed([&] { printMat(m, 0, 3); }), "");
  EXPECT_EQ(printed([&] { printMat(m, 3, 0); }), "\n\n\n");
}

TEST(PrintArrayOfdoubles, EntriesThenOneLineBreak) {
  const std::vector<double> v{0.5, -0.0, 3};
  EXPECT_EQ(printed([&] { printArrayOfdoubles(v, 3); }), "0.500000 -0.000000 3.000000 \n");
  EXPECT_EQ(printed([&] { printArrayOfdoubles({}, 0); }), "\n");
}

}  // namespace
}  // namespace lsde
