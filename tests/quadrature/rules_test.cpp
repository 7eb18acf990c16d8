#include "quadrature/rules.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace lsde {
namespace {

using Doubles = std::vector<double>;
using Rule = std::vector<double> (*)(const Integrand&, int, double, double);

// Distance in units in the last place between two finite doubles of the same sign.
std::int64_t ulpDistance(double a, double b) {
  std::int64_t ia = 0;
  std::int64_t ib = 0;
  std::memcpy(&ia, &a, sizeof a);
  std::memcpy(&ib, &b, sizeof b);
  return ia > ib ? ia - ib : ib - ia;
}

double one(double) {
  return 1.0;
}

TEST(RuleWeights, AreTheNearestDoublesToTheirFractions) {
  const struct {
    double weight;
    double fraction;
  } cases[] = {
      {kBoolePattern[0], 64.0 / 45.0}, {kBoolePattern[1], 8.0 / 15.0},
      {kBoolePattern[2], 64.0 / 45.0}, {kBoolePattern[3], 28.0 / 45.0},
      {kBooleEndWeight, 14.0 / 45.0},  {kSimpsonPattern[0], 4.0 / 3.0},
      {kSimpsonPattern[1], 2.0 / 3.0}, {kSimpsonEndWeight, 1.0 / 3.0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.weight, c.fraction);
}

// The constant 1 with a step that makes the scale exactly 1; fractions are over `denominator`.
struct ConstantCase {
  const char* name;
  Rule rule;
  int n;
  double h;
  double denominator;
  std::vector<double> numerators;
  std::int64_t ulps;
};

TEST(NamedRules, ReproduceTheirValuesOnTheConstantOne) {
  const ConstantCase cases[] = {
      {"milne", milne, 3, 2.0, 1.0, {2, 1, 3}, 0},
      {"simpson", simpson, 3, 1.5, 3.0, {1, 5, 8}, 1},
      {"boole", boole, 5, 1.25, 45.0, {14, 78, 102, 166, 208}, 1},
      {"doubleBoole", doubleBoole, 5, 1.25, 2025.0, {196, 5188, 7636, 18260, 26996}, 1},
      {"verlet", verlet, 5, 1.25, 1.0, {0, 0, 2, 4, 8}, 0},
  };
  for (const ConstantCase& c : cases) {
    const Doubles result = c.rule(one, c.n, 0.0, c.h);
    ASSERT_EQ(result.size(), c.numerators.size()) << c.name;
    for (std::size_t i = 0; i < result.size(); ++i) {
      EXPECT_LE(ulpDistance(result[i], c.numerators[i] / c.denominator), c.ulps)
          << c.name << " entry " << i << " = " << result[i];
    }
  }
}

TEST(Verlet, FirstPassCountsEvenSamplesTwice) {
  EXPECT_EQ(closedIntegrateFunction(kVerletFirstPattern, kVerletEndWeight, one, 2, 5, 1.25, 0.0),
            (Doubles{0, 0, 2, 2, 4}));
}

const Rule kRules[] = {milne, simpson, boole, doubleBoole, verlet};

TEST(NamedRules, SingleSampleGivesZero) {
  for (const Rule rule : kRules) EXPECT_EQ(rule(one, 1, 3.0, 0.5), (Doubles{0.0}));
}

TEST(NamedRules, CallTheIntegrandExactlyNTimes) {
  for (const Rule rule : kRules) {
    for (const int n : {0, 1, 2, 5, 9}) {
      int calls = 0;
      const Doubles result = rule([&calls](double x) { return ++calls, x; }, n, 0.0, 0.5);
      EXPECT_EQ(calls, n);
      EXPECT_EQ(result.size(), static_cast<std::size_t>(n));
    }
  }
}

TEST(Verlet, InfiniteFirstSamplePoisonsEveryEntry) {
  const auto f = [](double x) { return x == 0.0 ? std::numeric_limits<double>::infinity() : 1.0; };
  for (const double entry : verlet(f, 6, 0.0, 0.5)) EXPECT_TRUE(std::isnan(entry));
}

// Simpson's and Boole's weights are exact for cubics and quintics; the rules here differ from
// the composite ones by the scale (n−1)/n · h and an end weight counted twice on the last sample:
//   rule = (n−1)/n · ∫f + e · (n−1)·h/n · f(end), e = 2/3 (Simpson) or 28/45 (Boole).
// Milne's open panels of three samples each integrate over four spacings around them.
struct Polynomial {
  std::vector<double> coefficients;  // lowest power first

  double operator()(double x) const {
    double sum = 0.0;
    for (auto c = coefficients.rbegin(); c != coefficients.rend(); ++c) sum = sum * x + *c;
    return sum;
  }
  double integral(double a, double b) const {
    double sum = 0.0;
    for (std::size_t k = 0; k < coefficients.size(); ++k) {
      const double p = static_cast<double>(k + 1);
      sum += coefficients[k] * (std::pow(b, p) - std::pow(a, p)) / p;
    }
    return sum;
  }
};

void expectClose(double actual, double expected) {
  EXPECT_NEAR(actual, expected, 1e-12 * std::max(1.0, std::abs(expected)));
}

TEST(NamedRules, SimpsonIsExactForCubicsUpToItsScaleAndEndWeight) {
  const Polynomial f{{1.0, -2.0, 0.0, 1.0}};
  const double x0 = 0.5;
  const double h = 0.25;
  for (const int n : {3, 9, 17}) {
    const double length = (n - 1) * h;
    const double end = x0 + length;
    expectClose(simpson(f, n, x0, h).back(),
                (n - 1.0) / n * f.integral(x0, end) + 2.0 / 3.0 * (length / n) * f(end));
  }
}

TEST(NamedRules, BooleIsExactForQuinticsUpToItsScaleAndEndWeight) {
  const Polynomial f{{0.0, 1.0, 0.0, -3.0, 0.0, 1.0}};
  const double x0 = 0.5;
  const double h = 0.25;
  for (const int n : {5, 9, 17}) {
    const double length = (n - 1) * h;
    const double end = x0 + length;
    expectClose(boole(f, n, x0, h).back(),
                (n - 1.0) / n * f.integral(x0, end) + 28.0 / 45.0 * (length / n) * f(end));
  }
}

TEST(NamedRules, MilneIsExactForCubicsOnEachPanel) {
  const Polynomial f{{1.0, -2.0, 0.0, 1.0}};
  const double x0 = 0.5;
  const double h = 0.25;
  for (const int n : {3, 6, 9}) {
    double panels = 0.0;
    for (int k = 0; k < n / 3; ++k)
      panels += f.integral(x0 + (3 * k - 1) * h, x0 + (3 * k + 3) * h);
    const double scale = (n - 1) * h / (n + 1);
    expectClose(milne(f, n, x0, h).back(), scale * 3.0 / (4.0 * h) * panels);
  }
}

}  // namespace
}  // namespace lsde
