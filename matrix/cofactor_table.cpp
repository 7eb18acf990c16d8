#include "matrix/cofactor_table.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <stdexcept>
#include <string>

#include "matrix/checks.hpp"

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

// The index of the lowest bit of a mask that is not 0 (countr_zero without its test for 0).
unsigned lowestColumn(std::uint32_t nonZero) {
  return static_cast<unsigned>(__builtin_ctz(nonZero));
}

// Row elements times the sign of a column in an even [0] or odd [1] place of its set.
using SignedElements = std::array<std::array<double, CofactorTable::kMaxOrder>, 2>;

// Sets expanded side by side: their sums are independent and overlap in the pipeline.
constexpr int kLanes = 4;

// Expands `lanes` sets of `size` columns each along the row whose signed elements are given:
// each entry is the sum, from 0.0 in column order, of sub-determinant × signed element.
template <int lanes>
void expandSets(double* table, const std::uint32_t* sets, int size,
                const SignedElements& signedElement) {
  std::array<double, lanes> sum;
  std::array<std::uint32_t, lanes> rest;
  for (int l = 0; l < lanes; ++l) {
    sum[l] = 0.0;
    rest[l] = sets[l];
  }
  for (int place = 0; place < size; ++place) {
    const auto& signedRow = signedElement[place & 1];
    for (int l = 0; l < lanes; ++l) {
      const std::uint32_t column = rest[l] & (0u - rest[l]);
      const unsigned c = lowestColumn(rest[l]);
      rest[l] ^= column;
      sum[l] = sum[l] + table[sets[l] ^ column] * signedRow[c];
    }
  }
  for (int l = 0; l < lanes; ++l) table[sets[l]] = sum[l];
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
  requireBlock("CofactorTable", a, n, n);
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
  SignedElements signedElement;
  for (int c = 0; c < n_; ++c) {
    signedElement[0][c] = element[c];
    signedElement[1][c] = timesSign(element[c], true);
  }
  const Mask end = Mask{1} << n_;
  Mask set = (Mask{1} << size) - 1;
  while (set < end) {
    std::array<Mask, kLanes> group;
    int count = 0;
    for (; count < kLanes && set < end; ++count, set = nextSameSize(set)) group[count] = set;
    if (count == kLanes) {
      expandSets<kLanes>(table_.data(), group.data(), size, signedElement);
    } else {
      for (int l = 0; l < count; ++l) expandSets<1>(table_.data(), &group[l], size, signedElement);
    }
  }
}

void CofactorTable::adjugate(Matrix& dst) {
  requireBlock("CofactorTable::adjugate", dst, n_, n_);
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
