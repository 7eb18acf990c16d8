#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <vector>

#include "quadrature/grid.hpp"
#include "quadrature/rules.hpp"

namespace lsde {
namespace {

using Doubles = std::vector<double>;
using Point = std::vector<double>;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr auto one = [](double) { return 1.0; };
constexpr auto cube = [](double x) { return x * x * x; };
// A callback of any arguments that always returns m.
constexpr auto always = [](auto m) { return [m](const auto&...) { return m; }; };

// Entry i is numerators[i] / denominator within one unit in the last place.
testing::AssertionResult withinAnUlp(const Doubles& result, const Doubles& numerators,
                                     double denominator) {
  if (result.size() != numerators.size()) return testing::AssertionFailure() << result.size();
  for (std::size_t i = 0; i < result.size(); ++i) {
    const double expected = numerators[i] / denominator;
    if (std::abs(result[i] - expected) > std::nextafter(expected, kInf) - expected)
      return testing::AssertionFailure() << "entry " << i << " = " << result[i];
  }
  return testing::AssertionSuccess();
}

TEST(NamedRules, WeightsAreTheNearestDoublesToTheirFractions) {
  EXPECT_EQ(kSimpsonPattern, (std::array{4.0 / 3, 2.0 / 3}));
  EXPECT_EQ(kBoolePattern, (std::array{64.0 / 45, 8.0 / 15, 64.0 / 45, 28.0 / 45}));
  EXPECT_EQ((std::array{kSimpsonEndWeight, kBooleEndWeight}), (std::array{1.0 / 3, 14.0 / 45}));
}

TEST(NamedRules, GiveTheirWorkedValuesOnTheConstantOneWithScaleOne) {
  EXPECT_EQ(milne(one, 3, 0.0, 2.0), (Doubles{2, 1, 3}));
  EXPECT_TRUE(withinAnUlp(simpson(one, 3, 0.0, 1.5), {1, 5, 8}, 3));
  EXPECT_TRUE(withinAnUlp(boole(one, 5, 0.0, 1.25), {14, 78, 102, 166, 208}, 45));
  EXPECT_TRUE(withinAnUlp(doubleBoole(one, 5, 0.0, 1.25), {196, 5188, 7636, 18260, 26996}, 2025));
  EXPECT_EQ(closedIntegrateFunction(kVerletFirstPattern, kVerletEndWeight, one, 2, 5, 1.25, 0.0),
            (Doubles{0, 0, 2, 2, 4}));
  EXPECT_EQ(verlet(one, 5, 0.0, 1.25), (Doubles{0, 0, 2, 4, 8}));
}

TEST(NamedRules, CallTheIntegrandNTimesAndGiveZeroForOneSample) {
  for (const auto rule : {milne, simpson, boole, doubleBoole, verlet}) {
    for (const int n : {INT_MIN, -1, 0, 1, 2, 5, 9}) {
      int calls = 0;
      const Doubles result = rule([&calls](double) { return ++calls, 1.0; }, n, 3.0, 0.5);
      EXPECT_EQ(calls, std::max(n, 0));
      EXPECT_EQ(result.size(), static_cast<std::size_t>(std::max(n, 0)));
    }
    EXPECT_EQ(rule(one, 1, 3.0, 0.5), Doubles{0.0});
  }
}

// Golden running sums from an independent IEEE double evaluation: a term formed as s × (w × scale)
// or a scale formed as (n − 1)·(h / (n ± 1)) changes some entry.
TEST(Engines, KeepTheirOrderOfOperations) {
  EXPECT_EQ(openIntegrateFunction(Doubles{0.3, 0.7, 1.1}, cube, 3, 4, 0.2, 0.3),
            (Doubles{0.0009720000000000001, 0.011472000000000001, 0.056748, 0.08299200000000001}));
  EXPECT_EQ(
      closedIntegrateFunction(kSimpsonPattern, kSimpsonEndWeight, cube, 2, 7, 0.1, 0.3),
      (Doubles{0.0007714285714285715, 0.008085714285714288, 0.015228571428571432,
               0.03991428571428573, 0.05951428571428573, 0.11802857142857145, 0.1805142857142858}));
}

// The box integrator with a constant value; `valued` collects the points where it is asked for.
double boxSum(int dims, const Point& lo, const Point& hi, double h,
              const std::function<int(const Point&)>& inside, double value = 1.0,
              std::vector<Point>* valued = nullptr) {
  return n_dimensional_integrate_function(
      dims, [&](std::span<const double> p) { return inside(Point(p.begin(), p.end())); }, lo, hi,
      [&](std::span<const double> p) {
        if (valued != nullptr) valued->emplace_back(p.begin(), p.end());
        return value;
      },
      h);
}

// A non-finite sample or value poisons the sum even where its weight or membership is 0.
TEST(Quadrature, NonFiniteValuesPropagate) {
  for (double entry : verlet([](double x) { return x == 0.0 ? kInf : 1.0; }, 6, 0.0, 0.5))
    EXPECT_TRUE(std::isnan(entry));
  EXPECT_TRUE(std::isnan(closedIntegrate(Doubles{1.0}, 0.0, Doubles{1, 1, kInf}, 1, 3, 1.5)[2]));
  EXPECT_TRUE(std::isnan(boxSum(1, {0}, {2}, 1.0, always(0), kInf)));
}

TEST(Ipow, SquaresFromTheLowestBit) {
  EXPECT_EQ(ipow(2.0, 10), 1024.0);
  EXPECT_EQ(ipow(kInf, 0), 1.0);
  EXPECT_EQ(ipow(kNaN, 0), 1.0);
  EXPECT_EQ(ipow(0.7, 13), 0.00968890104069999);  // 13 single multiplications: …9992
  EXPECT_EQ(ipow(2.0, -2), 0.25);
  EXPECT_EQ(ipow(0.0, -1), kInf);
  EXPECT_EQ(ipow(-1.0, INT_MIN), 1.0);
  EXPECT_EQ(ipow(2.0, INT_MIN), 0.0);
}

TEST(GridIntegration, UnitDiscGivesTheSameSumBothWaysWithValuesOnlyInsideThePlane) {
  const auto inDisc = [](double x, double y) { return x * x + y * y <= 1.0 ? 1 : 0; };
  const auto inDiscPoint = [&](const Point& p) { return inDisc(p[0], p[1]); };
  std::vector<Point> valued;
  EXPECT_EQ(boxSum(2, {-1, -1}, {1, 1}, 0.5, inDiscPoint, 1.0, &valued), 2.75);
  EXPECT_EQ(valued.size(), 16u);
  int values = 0;
  const auto counted = [&values](double, double) { return ++values, 1.0; };
  EXPECT_EQ(two_dimensional_integrate_function(inDisc, -1, 1, -1, 1, counted, 0.5), 2.75);
  EXPECT_EQ(values, 11);
}

// Boxes visit dimension 0 fastest and weigh by membership; the plane visits y fastest and counts
// any membership once.
TEST(GridIntegration, VisitingOrderAndMembershipWeight) {
  std::vector<Point> valued;
  EXPECT_EQ(boxSum(3, {0, 0, 0}, {1, 1, 1}, 0.5, always(1), 1.0, &valued), 1.0);
  EXPECT_EQ(valued, (std::vector<Point>{{0, 0, 0},
                                        {0.5, 0, 0},
                                        {0, 0.5, 0},
                                        {0.5, 0.5, 0},
                                        {0, 0, 0.5},
                                        {0.5, 0, 0.5},
                                        {0, 0.5, 0.5},
                                        {0.5, 0.5, 0.5}}));
  EXPECT_EQ(boxSum(3, {0, 0, 0}, {1, 1, 1}, 0.5, always(2)), 2.0);
  std::vector<Point> visits;
  const auto twice = [&visits](double x, double y) { return visits.push_back({x, y}), 2; };
  EXPECT_EQ(two_dimensional_integrate_function(twice, 0, 1, 0, 1, always(1.0), 0.5), 1.0);
  EXPECT_EQ(visits, (std::vector<Point>{{0, 0}, {0, 0.5}, {0.5, 0}, {0.5, 0.5}}));
}

// With value 1 and h = 1 the sum counts the points: any callback in an empty grid would show.
TEST(GridIntegration, CountsRoundedStepsAndVisitsNothingInEmptyGrids) {
  EXPECT_EQ(boxSum(1, {1}, {3.5}, 1.0, always(1)), 3.0);  // 2.5 steps round away from zero
  EXPECT_EQ(boxSum(1, {1}, {3.4999}, 1.0, always(1)), 2.0);
  // The last coordinate is 10 × 0.1 = 1, where ten additions of 0.1 give 0.9999999999999999.
  EXPECT_EQ(boxSum(1, {0}, {1.1}, 0.1, [](const Point& p) { return p[0] == 1.0; }), 0.1);
  EXPECT_EQ(boxSum(0, {}, {}, 1.0, always(3), 0.5), 1.5);  // one point, m × v
  EXPECT_EQ(boxSum(3, {0, 0, 0}, {1, 0, 1}, 1.0, always(1)), 0.0);
  EXPECT_EQ(boxSum(2, {1, 1}, {0, 0}, 1.0, always(1)), 0.0);
  EXPECT_EQ(boxSum(3, {0, 0, 0}, {1e5, 1e5, 0.1}, 1.0, always(1)), 0.0);  // product past 32 bits
  EXPECT_EQ(two_dimensional_integrate_function(always(1), 0, 2.5, 0, 2.4999, always(1.0), 1), 6.0);
  EXPECT_EQ(two_dimensional_integrate_function(always(1), 0, 0, 0, 1, always(1.0), 1.0), 0.0);
  EXPECT_EQ(two_dimensional_integrate_function(always(1), 1, 0, 1, 0, always(1.0), 1.0), 0.0);
}

// Golden single cells: vol × (m × v) in boxes, (v × h) × h in the plane; the other groupings
// give 0.055000000000000014 and 0.0030000000000000005.
TEST(GridIntegration, CellTermsKeepTheirGrouping) {
  EXPECT_EQ(boxSum(2, {0, 0}, {0.1, 0.1}, 0.1, always(5), 1.1), 0.05500000000000001);
  EXPECT_EQ(two_dimensional_integrate_function(always(1), 0, 0.1, 0, 0.1, always(0.3), 0.1), 0.003);
}

// Counts below 1, too few weights, samples or bounds, dims below 0, unusable step counts.
TEST(Quadrature, RejectsArgumentsItCannotCompute) {
  const Doubles w{1.0}, samples{1, 2};
  const auto box = [](int dims, Point lo, Point hi, double h) {
    return [=] { boxSum(dims, lo, hi, h, always(1)); };
  };
  const std::function<void()> rejected[] = {
      [&] { openIntegrateFunction(w, one, 0, 3, 1.0, 0.0); },
      [&] { closedIntegrateFunction(w, 1.0, one, 2, 3, 1.0, 0.0); },
      [&] { closedIntegrate(w, 1.0, samples, 1, 3, 1.0); },
      box(-1, {}, {}, 1.0),
      box(2, {0}, {1, 1}, 1.0),
      box(1, {0}, {0}, 0.0),
      box(2, {0, 0}, {1, 1e300}, 1.0),
      box(2, {0, 0}, {65536, 65536}, 1.0),
      [] { two_dimensional_integrate_function(always(1), 0, 1, 0, 1, always(1.0), kNaN); },
      [] { two_dimensional_integrate_function(always(1), 0, 1, 0, -1e300, always(1.0), 1.0); },
  };
  for (const auto& call : rejected) EXPECT_THROW(call(), std::invalid_argument) << &call - rejected;
}

}  // namespace
}  // namespace lsde
