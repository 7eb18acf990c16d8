#include "quadrature/grid.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace lsde {
namespace {

using Point = std::vector<double>;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Ipow, PowersBySquaring) {
  const struct {
    double base;
    int exponent;
    double expected;
  } cases[] = {
      {2.0, 10, 1024.0},
      {0.5, 3, 0.125},
      {-3.0, 3, -27.0},
      {0.0, 0, 1.0},
      {kInf, 0, 1.0},
      {kNaN, 0, 1.0},
      {0.7, 13, 0.00968890104069999},  // 0.7 · 0.7 ⋯ one at a time gives 0.009688901040699992
      {2.0, -2, 0.25},
      {0.0, -1, kInf},
      {-1.0, INT_MAX, -1.0},
      {-1.0, INT_MIN, 1.0},
      {2.0, INT_MIN, 0.0},
      {0.5, INT_MIN, kInf},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ipow(c.base, c.exponent), c.expected) << c.base << "^" << c.exponent;
  }
}

// Runs the n-dimensional integrator and records every point its callbacks see.
struct Recorder {
  std::vector<Point> memberships;
  std::vector<Point> values;

  double run(int dims, const Point& lo, const Point& hi, double h, int (*inside)(const Point&),
             double (*f)(const Point&)) {
    return n_dimensional_integrate_function(
        dims,
        [&](std::span<const double> p) {
          memberships.emplace_back(p.begin(), p.end());
          return inside(memberships.back());
        },
        lo, hi,
        [&](std::span<const double> p) {
          values.emplace_back(p.begin(), p.end());
          return f(values.back());
        },
        h);
  }
};

int inUnitDisc(const Point& p) {
  return p[0] * p[0] + p[1] * p[1] <= 1.0;
}
int always(const Point&) {
  return 1;
}
int twice(const Point&) {
  return 2;
}
double unit(const Point&) {
  return 1.0;
}

TEST(GridIntegration, UnitDiscGivesTheSameSumBothWays) {
  Recorder recorder;
  EXPECT_EQ(recorder.run(2, {-1, -1}, {1, 1}, 0.5, inUnitDisc, unit), 2.75);
  EXPECT_EQ(recorder.values.size(), 16u);

  int planeValues = 0;
  const double plane = two_dimensional_integrate_function(
      [](double x, double y) { return x * x + y * y <= 1.0 ? 1 : 0; }, -1, 1, -1, 1,
      [&planeValues](double, double) { return ++planeValues, 1.0; }, 0.5);
  EXPECT_EQ(plane, 2.75);
  EXPECT_EQ(planeValues, 11);
}

TEST(GridIntegration, UnitCubeIsVisitedWithDimensionZeroFastest) {
  Recorder recorder;
  EXPECT_EQ(recorder.run(3, {0, 0, 0}, {1, 1, 1}, 0.5, always, unit), 1.0);
  const std::vector<Point> order = {{0, 0, 0},   {0.5, 0, 0},   {0, 0.5, 0},   {0.5, 0.5, 0},
                                    {0, 0, 0.5}, {0.5, 0, 0.5}, {0, 0.5, 0.5}, {0.5, 0.5, 0.5}};
  EXPECT_EQ(recorder.memberships, order);
  EXPECT_EQ(recorder.values, order);
}

TEST(GridIntegration, PlaneIsVisitedWithXOuterAndYInner) {
  std::vector<Point> visits;
  two_dimensional_integrate_function(
      [&visits](double x, double y) {
        return visits.push_back({x, y}), 1;
      },
      0, 1, 0, 1, [](double, double) { return 1.0; }, 0.5);
  EXPECT_EQ(visits, (std::vector<Point>{{0, 0}, {0, 0.5}, {0.5, 0}, {0.5, 0.5}}));
}

TEST(GridIntegration, MembershipWeighsInBoxesAndOnlyTestsInThePlane) {
  Recorder recorder;
  EXPECT_EQ(recorder.run(3, {0, 0, 0}, {1, 1, 1}, 0.5, twice, unit), 2.0);
  EXPECT_EQ(recorder.run(
                1, {0}, {2}, 1.0, [](const Point&) { return -1; }, unit),
            -2.0);
  EXPECT_EQ(two_dimensional_integrate_function([](double, double) { return 2; }, 0, 1, 0, 1,
                                               [](double, double) { return 1.0; }, 0.5),
            1.0);
}

TEST(GridIntegration, NonFiniteValueOutsideTheRegionCountsOnlyInBoxes) {
  Recorder recorder;
  const auto outsideAtOrigin = [](const Point& p) { return p[0] != 0.0 ? 1 : 0; };
  const auto infiniteAtOrigin = [](const Point& p) { return p[0] != 0.0 ? 1.0 : kInf; };
  EXPECT_TRUE(std::isnan(recorder.run(1, {0}, {2}, 1.0, outsideAtOrigin, infiniteAtOrigin)));
  EXPECT_EQ(two_dimensional_integrate_function(
                [](double x, double) { return x != 0.0 ? 1 : 0; }, 0, 2, 0, 1,
                [](double x, double) { return x != 0.0 ? 1.0 : kInf; }, 1.0),
            1.0);
}

TEST(GridIntegration, StepCountsRoundHalfAwayFromZero) {
  Recorder recorder;
  recorder.run(1, {1}, {3.5}, 1.0, always, unit);
  EXPECT_EQ(recorder.values, (std::vector<Point>{{1}, {2}, {3}}));
  Recorder shorter;
  shorter.run(1, {1}, {3.4999}, 1.0, always, unit);
  EXPECT_EQ(shorter.values, (std::vector<Point>{{1}, {2}}));

  int visits = 0;
  const auto count = [&visits](double, double) { return ++visits, 1; };
  const auto value = [](double, double) { return 1.0; };
  two_dimensional_integrate_function(count, 0, 2.5, 0, 2.4999, value, 1.0);
  EXPECT_EQ(visits, 3 * 2);
}

TEST(GridIntegration, CoordinatesAreFormedAfresh) {
  Recorder recorder;
  recorder.run(1, {0}, {1.1}, 0.1, always, unit);
  ASSERT_EQ(recorder.values.size(), 11u);
  EXPECT_EQ(recorder.values.back()[0], 1.0);  // ten additions of 0.1 give 0.9999999999999999

  double lastX = 0.0;
  two_dimensional_integrate_function([&lastX](double x, double) { return lastX = x, 1; }, 0, 1.1, 0,
                                     0.1, [](double, double) { return 1.0; }, 0.1);
  EXPECT_EQ(lastX, 1.0);
}

// Golden single-cell sums from an independent IEEE double evaluation: (h·h)·(m·v) in boxes,
// (v·h)·h in the plane; the other groupings give 0.055000000000000014 and 0.0030000000000000005.
TEST(GridIntegration, CellTermsKeepTheirGrouping) {
  EXPECT_EQ(n_dimensional_integrate_function(
                2, [](std::span<const double>) { return 5; }, Point{0, 0}, Point{0.1, 0.1},
                [](std::span<const double>) { return 1.1; }, 0.1),
            0.05500000000000001);
  EXPECT_EQ(two_dimensional_integrate_function([](double, double) { return 1; }, 0, 0.1, 0, 0.1,
                                               [](double, double) { return 0.3; }, 0.1),
            0.003);
}

TEST(GridIntegration, ZeroDimensionsCallBothCallbacksOnce) {
  Recorder recorder;
  const double sum = recorder.run(
      0, {}, {}, kNaN, [](const Point&) { return 3; }, [](const Point&) { return 0.5; });
  EXPECT_EQ(sum, 1.5);
  EXPECT_EQ(recorder.memberships.size(), 1u);
  EXPECT_EQ(recorder.values.size(), 1u);
}

TEST(GridIntegration, EmptyGridsGiveZeroWithoutCalls) {
  const struct {
    const char* name;
    Point lo;
    Point hi;
  } boxes[] = {
      {"equal bounds", {0, 0, 0}, {1, 0, 1}},
      {"one reversed dimension", {0, 1}, {1, 0}},
      {"two reversed dimensions", {1, 1}, {0, 0}},
      {"zero count beside an overflowing product", {0, 0, 0}, {1e5, 1e5, 0.1}},
  };
  for (const auto& box : boxes) {
    Recorder recorder;
    EXPECT_EQ(recorder.run(static_cast<int>(box.lo.size()), box.lo, box.hi, 1.0, always, unit), 0.0)
        << box.name;
    EXPECT_TRUE(recorder.memberships.empty()) << box.name;
  }

  int calls = 0;
  const auto member = [&calls](double, double) { return ++calls, 1; };
  const auto value = [](double, double) { return 1.0; };
  EXPECT_EQ(two_dimensional_integrate_function(member, 0, 0, 0, 1, value, 0.5), 0.0);
  EXPECT_EQ(two_dimensional_integrate_function(member, 1, 0, 1, 0, value, 0.5), 0.0);
  EXPECT_EQ(calls, 0);
}

void expectRejected(const std::function<void()>& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "accepted: " << message;
  } catch (const std::invalid_argument& error) {
    EXPECT_EQ(error.what(), message);
  }
}

TEST(GridIntegration, RejectsUnusableBoxes) {
  const auto box = [](int dims, Point lo, Point hi, double h) {
    return [=] { Recorder().run(dims, lo, hi, h, always, unit); };
  };
  const std::string who = "n_dimensional_integrate_function: ";
  expectRejected(box(-1, {}, {}, 1.0), who + "dims must be at least 0, found -1");
  expectRejected(box(2, {0}, {1, 1}, 1.0), who + "expected 2 bounds, found 1 lower and 2 upper");
  expectRejected(box(1, {0}, {1}, 0.0),
                 who + "dimension 0: (1 - 0) / 0 is not a 32-bit step count");
  expectRejected(box(1, {0}, {0}, 0.0),
                 who + "dimension 0: (0 - 0) / 0 is not a 32-bit step count");
  expectRejected(box(2, {0, 0}, {1, 1}, kNaN),
                 who + "dimension 0: (1 - 0) / nan is not a 32-bit step count");
  expectRejected(box(2, {0, 0}, {1, 1e300}, 1.0),
                 who + "dimension 1: (1e+300 - 0) / 1 is not a 32-bit step count");
  expectRejected(box(2, {0, 0}, {65536, 65536}, 1.0),
                 who + "the grid has more than 2147483647 points");
}

TEST(GridIntegration, RejectsUnusablePlanes) {
  const auto plane = [](double xUpper, double yUpper, double h) {
    return [=] {
      two_dimensional_integrate_function([](double, double) { return 1; }, 0, xUpper, 0, yUpper,
                                         [](double, double) { return 1.0; }, h);
    };
  };
  const std::string who = "two_dimensional_integrate_function: ";
  expectRejected(plane(1, 1, 0.0), who + "x: (1 - 0) / 0 is not a 32-bit step count");
  expectRejected(plane(1, 1, kNaN), who + "x: (1 - 0) / nan is not a 32-bit step count");
  expectRejected(plane(1, -1e300, 1.0), who + "y: (-1e+300 - 0) / 1 is not a 32-bit step count");
}

}  // namespace
}  // namespace lsde
