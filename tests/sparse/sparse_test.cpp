// Compressed sparse rows and the sparse factorizations: duplicates add in the order given,
// weighted sums keep their terms' order, products have one set of bits for every thread count,
// and the factors solve what they factor, in whichever order and storage they chose.
#include "matrix/lu.hpp"
#include "matrix/parallel.hpp"
#include "random_matrix.hpp"
#include "sparse/csr_matrix.hpp"
#include "sparse/sparse_factor.hpp"
#include "support.hpp"

namespace lsde {
namespace {

TEST(CsrMatrix, DuplicatesAddInTheOrderGivenAndWeightedSumsKeepTheirTermsOrder) {
  // 1e16 + 1 + (−1e16) is 0 in that order and 1 in the order (1e16 − 1e16) + 1.
  const CsrMatrix a =
      CsrMatrix::fromTriplets(2, 3, {{1, 2, 1e16}, {0, 1, 5}, {1, 2, 1}, {1, 2, -1e16}});
  EXPECT_EQ(a.nonZeros(), 2u);
  EXPECT_EQ(a.at(1, 2), 0.0);
  EXPECT_EQ(a.at(0, 1), 5.0);
  EXPECT_EQ(a.at(0, 0), 0.0);
  EXPECT_THROW(CsrMatrix::fromTriplets(2, 2, {{2, 0, 1}}), std::invalid_argument);
  const CsrMatrix big = CsrMatrix::fromTriplets(1, 1, {{0, 0, 1e16}});
  const CsrMatrix one = CsrMatrix::fromTriplets(1, 1, {{0, 0, 1}});
  const WeightedMatrix terms[] = {{1, &big}, {1, &one}, {-1, &big}};
  EXPECT_EQ(weightedSum(terms).at(0, 0), 0.0);
  const WeightedMatrix reordered[] = {{1, &big}, {-1, &big}, {1, &one}};
  EXPECT_EQ(weightedSum(reordered).at(0, 0), 1.0);
  EXPECT_TRUE(CsrMatrix::fromTriplets(2, 2, {{0, 1, 2}, {1, 0, 2}}).isSymmetric());
  EXPECT_FALSE(CsrMatrix::fromTriplets(2, 2, {{0, 1, 2}, {1, 0, 3}}).isSymmetric());
}

TEST(CsrMatrix, ProductsHaveTheDenseSumsBitsOnEveryThreadCount) {
  std::mt19937_64 rng(3);
  for (const test::Kind kind : test::kKinds) {
    const Matrix dense = test::randomMatrix(300, 200, kind, rng, 20);
    const CsrMatrix a = CsrMatrix::fromDense(dense, 300, 200);
    const Matrix v = test::randomMatrix(1, 200, test::Kind::kGeneral, rng);
    std::vector<double> expected(300, 0.0);
    for (int r = 0; r < 300; ++r)  // from 0.0, column by column, zeros skipped
      for (int c = 0; c < 200; ++c)
        if (dense[r][c] != 0.0 || std::isnan(dense[r][c]))
          expected[r] = expected[r] + dense[r][c] * v[0][c];
    for (const int threads : {1, 2, 3, 8}) {
      const ThreadScope scope(threads, 1);
      EXPECT_EQ(test::bits(a.multiply({v[0], 200})), test::bits(expected)) << threads;
    }
  }
}

// x with a·x = b by the dense LU, for comparison.
std::vector<double> denseSolve(const CsrMatrix& a, const std::vector<double>& b) {
  Matrix dense(a.rows(), a.cols());
  for (int r = 0; r < a.rows(); ++r)
    for (int c = 0; c < a.cols(); ++c) dense[r][c] = a.at(r, c);
  return LuDecomposition(dense, a.rows()).solve(b);
}

TEST(SparseFactor, SolvesInEachOrderAndStorageAndRefusesWhatItCannotFactor) {
  const int n = 60;
  std::vector<Triplet> chain, arrow, wide, unsymmetric;
  for (int i = 0; i < n; ++i) {
    chain.push_back({i, i, 4.0});
    arrow.push_back({i, i, n + 1.0});  // coupled to 0: natural order fills in, AMD does not
    unsymmetric.push_back({i, i, 5.0});
    if (i > 0) {
      chain.insert(chain.end(), {{i, i - 1, -1.0}, {i - 1, i, -1.0}});
      arrow.insert(arrow.end(), {{i, 0, 1.0}, {0, i, 1.0}});
      unsymmetric.push_back({i, i - 1, 2.0});
    }
    for (int j = 0; j < n; ++j) wide.push_back({i, j, i == j ? 2.0 * n : 1.0 / (1 + i + j)});
  }
  std::vector<double> b(n);
  for (int i = 0; i < n; ++i) b[i] = std::sin(i + 1.0);
  // Each storage of the Cholesky factors, and LU (no Cholesky factors) for the unsymmetric one.
  using Storage = LdltFactors::Storage;
  const std::pair<std::vector<Triplet>, std::optional<Storage>> cases[] = {
      {chain, Storage::Chain},
      {arrow, Storage::Entries},
      {wide, Storage::Runs},
      {unsymmetric, std::nullopt}};
  for (const auto& [entries, storage] : cases) {
    const CsrMatrix a = CsrMatrix::fromTriplets(n, n, entries);
    const auto factors = SparseFactor::factor(a, SparseFactor::Allow::Any);
    ASSERT_TRUE(factors);
    const LdltFactors* ldlt = factors->ldlt();
    EXPECT_EQ(ldlt ? std::optional(ldlt->storage) : std::nullopt, storage);
    std::vector<double> x = b;
    factors->solveInPlace(x);
    const std::vector<double> expected = denseSolve(a, b);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], expected[i], 1e-13) << i;
  }
  const auto indefinite =
      CsrMatrix::fromTriplets(2, 2, {{0, 0, 1}, {0, 1, 2}, {1, 0, 2}, {1, 1, 1}});
  EXPECT_FALSE(SparseFactor::factor(indefinite, SparseFactor::Allow::PositiveDefinite));
  EXPECT_TRUE(SparseFactor::factor(indefinite, SparseFactor::Allow::Any));
  const auto singular = CsrMatrix::fromTriplets(2, 2, {{0, 0, 1}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}});
  EXPECT_FALSE(SparseFactor::factor(singular, SparseFactor::Allow::Any));
  const auto tiny = CsrMatrix::fromTriplets(2, 2, {{0, 0, 1}, {1, 1, 1e-300}});
  EXPECT_FALSE(SparseFactor::factor(tiny, SparseFactor::Allow::PositiveDefinite));
}

}  // namespace
}  // namespace lsde
