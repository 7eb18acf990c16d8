#include <array>
#include <chrono>
#include <climits>

#include "quadrature/grid.hpp"
#include "quadrature/rules.hpp"
#include "support.hpp"

namespace lsde {
namespace {

using Doubles = std::vector<double>;  // also a point of a grid
constexpr double kInf = INFINITY, kNaN = NAN;
constexpr auto cube = [](double x) { return x * x * x; };
// A callback of any arguments that always returns m.
constexpr auto always = [](auto m) { return [m](const auto&...) { return m; }; };

// Entry i is numerators[i] / denominator within one unit in the last place.
void expectFractions(const Doubles& result, const Doubles& numerators, double denominator) {
  for (std::size_t i = 0; i < numerators.size(); ++i) {
    const double exact = numerators[i] / denominator;
    EXPECT_LE(std::abs(result.at(i) - exact), std::nextafter(exact, kInf) - exact) << "entry " << i;
  }
}

TEST(NamedRules, WeightsAreTheNearestDoublesAndWorkedValuesOnTheConstantOneWithScaleOne) {
  EXPECT_EQ(kSimpsonPattern, (std::array{4.0 / 3, 2.0 / 3}));
  EXPECT_EQ(kBoolePattern, (std::array{64.0 / 45, 8.0 / 15, 64.0 / 45, 28.0 / 45}));
  EXPECT_EQ((std::array{kSimpsonEndWeight, kBooleEndWeight}), (std::array{1.0 / 3, 14.0 / 45}));
  EXPECT_EQ(milne(always(1.0), 3, 0.0, 2.0), (Doubles{2, 1, 3}));
  expectFractions(simpson(always(1.0), 3, 0.0, 1.5), {1, 5, 8}, 3);
  expectFractions(boole(always(1.0), 5, 0.0, 1.25), {14, 78, 102, 166, 208}, 45);
  expectFractions(doubleBoole(always(1.0), 5, 0.0, 1.25), {196, 5188, 7636, 18260, 26996}, 2025);
  EXPECT_EQ(
      closedIntegrateFunction(kVerletFirstPattern, kVerletEndWeight, always(1.0), 2, 5, 1.25, 0.0),
      (Doubles{0, 0, 2, 2, 4}));
  EXPECT_EQ(verlet(always(1.0), 5, 0.0, 1.25), (Doubles{0, 0, 2, 4, 8}));
}

// An infinite last sample spoils only the last entry: NaN in verlet, whose end weight 0 still
// meets it.
TEST(NamedRules, CallTheIntegrandNTimesGiveZeroForOneSampleAndMeetTheLastSample) {
  for (const auto rule : {milne, simpson, boole, doubleBoole, verlet}) {
    for (const int n : {INT_MIN, -1, 0, 1, 2, 5, 9}) {
      int calls = 0;
      const Doubles result = rule([&calls](double) { return ++calls, 1.0; }, n, 3.0, 0.5);
      EXPECT_EQ(std::tuple(calls, result.size()),
                std::tuple(std::max(n, 0), std::size_t(std::max(n, 0))));
    }
    EXPECT_EQ(rule(always(1.0), 1, 3.0, 0.5), Doubles{0.0});
    const Doubles last = rule([](double x) { return x == 5.0 ? kInf : 1.0; }, 5, 3.0, 0.5);
    EXPECT_TRUE(std::isfinite(last[3]) && !std::isfinite(last[4]));
    EXPECT_EQ(std::isnan(last[4]), rule == verlet);
  }
}

// The box integrator with a constant value; `valued` collects the points where it is asked for.
double boxSum(int dims, const Doubles& lo, const Doubles& hi, double h,
              const PointMembership& inside, double value = 1.0,
              std::vector<Doubles>* valued = nullptr) {
  const auto constant = [&](std::span<const double> p) {
    if (valued != nullptr) valued->emplace_back(p.begin(), p.end());
    return value;
  };
  return n_dimensional_integrate_function(dims, inside, lo, hi, constant, h);
}

// Golden values from an independent IEEE evaluation. Running sums: terms s × (w × scale) or scales
// (n − 1)·(h / (n ± 1)) change some entry. Cells are vol × (m × v) in boxes, (v × h) × h in the
// plane; other groupings give 0.055000000000000014 and 0.0030000000000000005.
TEST(Quadrature, KeepsItsOrderOfOperationsSoNonFiniteValuesPropagateAndIpowItsEdges) {
  EXPECT_EQ(openIntegrateFunction(Doubles{0.3, 0.7, 1.1}, cube, 3, 4, 0.2, 0.3),
            (Doubles{0.0009720000000000001, 0.011472000000000001, 0.056748, 0.08299200000000001}));
  EXPECT_EQ(
      closedIntegrateFunction(kSimpsonPattern, kSimpsonEndWeight, cube, 2, 7, 0.1, 0.3),
      (Doubles{0.0007714285714285715, 0.008085714285714288, 0.015228571428571432,
               0.03991428571428573, 0.05951428571428573, 0.11802857142857145, 0.1805142857142858}));
  EXPECT_EQ(boxSum(2, {0, 0}, {0.1, 0.1}, 0.1, always(5), 1.1), 0.05500000000000001);
  EXPECT_EQ(two_dimensional_integrate_function(always(1), 0, 0.1, 0, 0.1, always(0.3), 0.1), 0.003);
  // 0.7^13 by 13 single multiplications would end in …9992.
  EXPECT_EQ((Doubles{ipow(0.7, 13), ipow(kNaN, 0), ipow(2.0, -2), ipow(0.0, -1),
                     ipow(-1.0, INT_MIN), ipow(2.0, INT_MIN)}),
            (Doubles{0.00968890104069999, 1.0, 0.25, kInf, 1.0, 0.0}));
  // A non-finite sample or value poisons the sum even where its weight or membership is 0.
  for (double entry : verlet([](double x) { return x == 0.0 ? kInf : 1.0; }, 6, 0.0, 0.5))
    EXPECT_TRUE(std::isnan(entry));
  EXPECT_TRUE(std::isnan(boxSum(1, {0}, {2}, 1.0, always(0), kInf)));
}

// The disc both ways, the plane valuing only inside. Boxes go dimension 0 fastest and weigh by
// membership; the plane goes y fastest and counts any membership once.
TEST(GridIntegration, UnitDiscVisitingOrderAndMembershipWeight) {
  const auto inDisc = [](double x, double y) { return x * x + y * y <= 1.0 ? 1 : 0; };
  std::vector<Doubles> valued, visits;
  EXPECT_EQ(boxSum(2, {-1, -1}, {1, 1}, 0.5, [&](auto p) { return inDisc(p[0], p[1]); }), 2.75);
  const auto recorded = [&visits](double x, double y) { return visits.push_back({x, y}), 1.0; };
  EXPECT_EQ(two_dimensional_integrate_function(inDisc, -1, 1, -1, 1, recorded, 0.5), 2.75);
  EXPECT_EQ(visits.size(), 11u);
  visits.clear();
  EXPECT_EQ(boxSum(3, {0, 0, 0}, {1, 0.5, 1}, 0.5, always(1), 1.0, &valued), 0.5);
  EXPECT_EQ(valued, (std::vector<Doubles>{{0, 0, 0}, {0.5, 0, 0}, {0, 0, 0.5}, {0.5, 0, 0.5}}));
  EXPECT_EQ(boxSum(3, {0, 0, 0}, {1, 1, 1}, 0.5, always(2)), 2.0);
  EXPECT_EQ(two_dimensional_integrate_function(always(2), 0, 1, 0, 1, recorded, 0.5), 1.0);
  EXPECT_EQ(visits, (std::vector<Doubles>{{0, 0}, {0, 0.5}, {0.5, 0}, {0.5, 0.5}}));
}

// With value 1 and h = 1 the sum counts the points: any callback in an empty grid would show.
TEST(GridIntegration, CountsRoundedStepsAndVisitsNothingInEmptyGrids) {
  EXPECT_EQ(boxSum(1, {1}, {3.5}, 1.0, always(1)), 3.0);  // 2.5 steps round away from zero
  EXPECT_EQ(boxSum(1, {1}, {3.4999}, 1.0, always(1)), 2.0);
  // The last coordinate is 10 × 0.1 = 1, where ten additions of 0.1 give 0.9999999999999999.
  EXPECT_EQ(boxSum(1, {0}, {1.1}, 0.1, [](auto p) { return p[0] == 1.0; }), 0.1);
  EXPECT_EQ(boxSum(0, {}, {}, 1.0, always(3), 0.5), 1.5);  // one point, m × v
  EXPECT_EQ(boxSum(3, {0, 0, 0}, {1, 0, 1}, 1.0, always(1)), 0.0);
  EXPECT_EQ(boxSum(2, {1, 1}, {0, 0}, 1.0, always(1)), 0.0);
  EXPECT_EQ(boxSum(3, {0, 0, 0}, {1e5, 1e5, 0.1}, 1.0, always(1)), 0.0);  // product past 32 bits
  EXPECT_EQ(two_dimensional_integrate_function(always(1), 0, 2.5, 0, 2.4999, always(1.0), 1), 6.0);
  // One count ≤ 0, the other as large as a count may be: nothing to visit, and at once.
  const auto start = std::chrono::steady_clock::now();
  for (const auto& [x, y] : {std::pair{0.0, 1.0}, {INT_MAX, 0.0}, {0.0, INT_MAX}, {INT_MAX, -5.0}})
    EXPECT_EQ(two_dimensional_integrate_function(always(1), 0, x, 0, y, always(1.0), 1.0), 0.0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

// Counts below 1, too few weights, samples or bounds, dims below 0, unusable step counts.
TEST(Quadrature, RejectsArgumentsItCannotCompute) {
  const Doubles w{1.0}, samples{1, 2};
  const auto box = [](int dims, Doubles lo, Doubles hi, double h) {
    return [=] { boxSum(dims, lo, hi, h, always(1)); };
  };
  // clang-format off
  const std::function<void()> rejected[] = {
      [&] { openIntegrateFunction(w, always(1.0), 0, 3, 1.0, 0.0); },
      [&] { closedIntegrateFunction(w, 1.0, always(1.0), 2, 3, 1.0, 0.0); },
      [&] { closedIntegrate(w, 1.0, samples, 1, 3, 1.0); },
      box(-1, {}, {}, 1.0), box(2, {0}, {1, 1}, 1.0), box(2, {0, 0}, {1}, 1.0),
      box(1, {0}, {0}, 0.0), box(2, {0, 0}, {1, 1e300}, 1.0), box(2, {0, 0}, {65536, 65536}, 1.0),
      [] { two_dimensional_integrate_function(always(1), 0, 1, 0, 1, always(1.0), kNaN); },
      [] { two_dimensional_integrate_function(always(1), 0, 1, 0, -1e300, always(1.0), 1.0); }};
  // clang-format on
  for (const auto& call : rejected) EXPECT_THROW(call(), std::invalid_argument) << &call - rejected;
}

}  // namespace
}  // namespace lsde
