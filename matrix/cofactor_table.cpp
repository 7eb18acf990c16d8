#include "matrix/cofactor_table.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <stdexcept>
#include <string>

namespace lsde {

namespace {

// The next larger mask with the same number of bits set (Gosper's hack).
std::uint32_t nextSameSize(std::uint32_t set) {
  const std::uint32_t filled = set | (set - 1);
  return (filled + 1) | (((~filled & (filled + 1)) - 1) >> (std::countr_zero(set) + 1));
}

// ±1 × x as the multiplication gives it: ±x, except that a NaN passes through unchanged where
// a negation would flip its sign bit.
double timesSign(double x, bool negative) {
  return negative && !std::isnan(x) ? -x : x;
}

Matrix topLeftBlock(const Matrix& a, int n) {
  Matrix block(n, n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) block[r][c] = a[r][c];
  return block;
}

}  // namespace

CofactorTable::CofactorTable(const Matrix& a, int n) : n_(n) {
  if (n < 0 || n > kMaxOrder) {
    throw std::invalid_argument("CofactorTable: order " + std::to_string(n) + " is outside 0 … " +
                                std::to_string(kMaxOrder));
  }
  a_ = topLeftBlock(a, n);
  table_.assign(std::size_t{1} << n, 0.0);
  fill();
}

void CofactorTable::fill() {
  for (int size = 1; size <= n_; ++size) expandLevel(size, n_ - size);
  scratchUsed_ = false;
}

void CofactorTable::expandLevel(int size, int row) {
  const double* element = a_[row];
  if (size == 1) {
    for (int c = 0; c < n_; ++c) table_[Mask{1} << c] = element[c];
    return;
  }
  // signedElement[odd][c]: the element times the sign of a column in an even or odd place.
  std::array<std::array<double, kMaxOrder>, 2> signedElement;
  for (int c = 0; c < n_; ++c) {
    signedElement[0][c] = element[c];
    signedElement[1][c] = timesSign(element[c], true);
  }
  const Mask end = Mask{1} << n_;
  for (Mask set = (Mask{1} << size) - 1; set < end; set = nextSameSize(set)) {
    double sum = 0.0;
    int odd = 0;
    for (Mask rest = set; rest != 0; rest &= rest - 1) {
      const int c = std::countr_zero(rest);
      sum = sum + table_[set ^ (Mask{1} << c)] * signedElement[odd][c];
      odd ^= 1;
    }
    table_[set] = sum;
  }
}

void CofactorTable::adjugate(Matrix& dst) {
  if (n_ == 1) {
    dst[0][0] = 1.0;
    return;
  }
  if (scratchUsed_) fill();
  scratchUsed_ = true;
  const Mask full = (Mask{1} << n_) - 1;
  for (int i = 0; i < n_; ++i) {
    // Without row i, a set of n−i or more columns starts on a row above i; smaller sets keep
    // the rows below i and are the full matrix's entries, which no earlier pass overwrote.
    for (int size = n_ - i; size < n_; ++size) expandLevel(size, n_ - 1 - size);
    for (int j = 0; j < n_; ++j)
      dst[j][i] = timesSign(table_[full ^ (Mask{1} << j)], (i + j) % 2 != 0);
  }
}

}  // namespace lsde
