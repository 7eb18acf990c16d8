#pragma once

#include <optional>
#include <span>
#include <vector>

#include "matrix/matrix.hpp"

namespace lsde {

// Every operation below throws std::invalid_argument, before it reads or writes anything, when
// a matrix or vector argument is smaller than the sizes passed with it.

/// Determinants with an absolute value below this bound count as singular.
inline constexpr double kSingularBound = 1e-8;

/// det, adjoint and alloc_inverse_matrix are exact to the last bit up to this order; beyond, the
/// same results within rounding. Up to it they carry out the cofactor expansion, each
/// sub-determinant computed once (2^n doubles of memory; an inverse of order 22 takes about
/// 0.7 s); beyond it they use LU with partial pivoting, det being the product of the pivots.
/// Exact means the bits of the recursive expansion, negative zeros included; only where two
/// different NaNs meet in one operation is the one passed on the compiler's choice, as it is for
/// the recursion itself.
inline constexpr int kExactInverseMaxOrder = 22;

/// Prints "Error, Singular" (no line break) and returns true when the determinant lies strictly
/// inside (−1e-8, 1e-8): the rule by which alloc_inverse_matrix refuses a matrix.
bool reportedSingular(double determinant);

/// Copies the minor of src (order n) without row p and column q into the top-left
/// (n-1)×(n-1) block of dst; dst's other entries are left as they were.
void getCofactor(const Matrix& src, Matrix& dst, int p, int q, int n);

/// Determinant by cofactor expansion along the first row; each level sums its terms
/// det(minor) × (sign × a[0][f]) in column order, starting from 0.0; a 1×1 block is its element
/// and order 0 gives 0.0. Beyond kExactInverseMaxOrder: the product of the LU pivots.
double det(const Matrix& a, int n);

/// Fills dst (n×n) with the adjugate of a: dst[j][i] = (-1)^(i+j) det(minor(i, j)); 1.0 for
/// order 1, where a is not read. Beyond kExactInverseMaxOrder: by elimination (luAdjugate).
void adjoint(const Matrix& a, Matrix& dst, int n);

/// The inverse as adjugate / det, or, when |det| < 1e-8, prints "Error, Singular"
/// (no line break) and returns nothing. A NaN det gives NaN in every entry. Beyond
/// kExactInverseMaxOrder: solved from the LU factors.
std::optional<Matrix> alloc_inverse_matrix(const Matrix& a, int n);

/// A·B for n×n operands; each entry summed over k = 0, 1, … from 0.0. Zero entries of A are
/// skipped while B is all finite, so a diagonal A costs O(n²).
Matrix alloc_matrix_matrix_multiply(const Matrix& a, const Matrix& b, int n);

/// The same product, bit for bit, written over the n×n block of dst whose first column is
/// firstColumn, so that a product can fill part of a larger matrix without a copy. Also throws
/// std::invalid_argument when dst is a or b, or firstColumn is negative.
void multiplyInto(const Matrix& a, const Matrix& b, int n, Matrix& dst, int firstColumn);

/// A·v for the top-left rows × cols block of A. The result has cols entries (at least
/// as long as v): entry r < rows is row r of A times v summed over c from 0.0, the rest 0.0.
/// Rows beyond cols have no place in the result and are not computed.
std::vector<double> alloc_vector_matrix_multiply(const Matrix& a, std::span<const double> v,
                                                 int rows, int cols);

/// Continues sums[r], for each r < rows, over the columns [first, last) of A:
/// sums[r] + A[r][c]·v[c] for c in increasing order. alloc_vector_matrix_multiply is this from
/// 0.0 over every column; a sum split at any column keeps its bits.
void accumulateRowProducts(const Matrix& a, std::span<const double> v, int rows, int first,
                           int last, std::span<double> sums);

/// Continues sums[r], for each r < n, over row r of A with v and then over row r of B with w,
/// every column in increasing order: accumulateRowProducts with A, then with B, in one pass
/// over the rows (one job for the threads instead of two). A and B are n × n.
void accumulateRowProductPair(const Matrix& a, std::span<const double> v, const Matrix& b,
                              std::span<const double> w, int n, std::span<double> sums);

/// x followed by v, n entries of each.
std::vector<double> appendEqualLength(std::span<const double> x, std::span<const double> v, int n);

}  // namespace lsde
