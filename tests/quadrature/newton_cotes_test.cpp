#include "quadrature/newton_cotes.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace lsde {
namespace {

using Doubles = std::vector<double>;

double cube(double x) {
  return x * x * x;
}
double one(double) {
  return 1.0;
}

// Golden values from an independent IEEE double evaluation. The reference differs in some entry
// when the scale is formed as (n−1)·(h/(n+1)) or a term as s × (w × scale).
TEST(OpenIntegrateFunction, MatchesGoldenRunningSums) {
  const Doubles pattern = {0.3, 0.7, 1.1};
  EXPECT_EQ(openIntegrateFunction(pattern, cube, 3, 4, 0.2, 0.3),
            (Doubles{0.0009720000000000001, 0.011472000000000001, 0.056748, 0.08299200000000001}));
}

TEST(ClosedIntegrateFunction, MatchesGoldenRunningSums) {
  const Doubles pattern = {1.3333333333333333, 0.6666666666666666};
  EXPECT_EQ(
      closedIntegrateFunction(pattern, 0.3333333333333333, cube, 2, 7, 0.1, 0.3),
      (Doubles{0.0007714285714285715, 0.008085714285714288, 0.015228571428571432,
               0.03991428571428573, 0.05951428571428573, 0.11802857142857145, 0.1805142857142858}));
}

// With scale 1 and weights 1, 10, 100 each entry shows which weight every sample received.
TEST(OpenIntegrateFunction, RepeatsThePatternFromSampleZero) {
  const Doubles pattern = {1.0, 10.0, 100.0};
  EXPECT_EQ(openIntegrateFunction(pattern, one, 3, 5, 1.5, 0.0),
            (Doubles{1.0, 11.0, 111.0, 112.0, 122.0}));
}

TEST(ClosedIntegrate, RepeatsThePatternFromSampleOneAndAddsBothEnds) {
  const Doubles pattern = {1.0, 10.0, 100.0};
  const Doubles samples = {1.0, 2.0, 3.0, 4.0, 5.0};
  EXPECT_EQ(closedIntegrate(pattern, 1000.0, samples, 3, 5, 1.25),
            (Doubles{1000.0, 1002.0, 1032.0, 1432.0, 6437.0}));
}

TEST(ClosedIntegrate, ReadsOnlyTheFirstNSamples) {
  const Doubles pattern = {1.0};
  const Doubles samples = {1.0, 2.0, std::numeric_limits<double>::quiet_NaN()};
  EXPECT_EQ(closedIntegrate(pattern, 1.0, samples, 1, 2, 2.0), (Doubles{1.0, 5.0}));
}

TEST(Sampling, FormsEachAbscissaAfreshInIncreasingOrder) {
  Doubles abscissae;
  const Doubles pattern = {1.0};
  const auto record = [&abscissae](double x) {
    abscissae.push_back(x);
    return 0.0;
  };
  openIntegrateFunction(pattern, record, 1, 11, 0.1, 0.0);
  ASSERT_EQ(abscissae.size(), 11u);
  EXPECT_EQ(abscissae[10], 1.0);  // ten additions of 0.1 would give 0.9999999999999999
  for (std::size_t i = 1; i < abscissae.size(); ++i) EXPECT_LT(abscissae[i - 1], abscissae[i]);
}

TEST(ClosedIntegrate, ZeroEndWeightDoesNotShieldAnInfiniteLastSample) {
  const Doubles pattern = {1.0};
  const Doubles samples = {1.0, 1.0, std::numeric_limits<double>::infinity()};
  const Doubles result = closedIntegrate(pattern, 0.0, samples, 1, 3, 1.5);
  EXPECT_EQ(result[1], 1.0);
  EXPECT_TRUE(std::isnan(result[2]));
}

// Every engine, run with a given pattern, count and n; the integrand counts its calls.
struct EngineCase {
  const char* name;
  std::vector<double> (*run)(const Doubles& pattern, const Integrand& f, int count, int n);
};

const EngineCase kEngines[] = {
    {"openIntegrateFunction",
     [](const Doubles& p, const Integrand& f, int count, int n) {
       return openIntegrateFunction(p, f, count, n, 1.0, 0.0);
     }},
    {"closedIntegrateFunction",
     [](const Doubles& p, const Integrand& f, int count, int n) {
       return closedIntegrateFunction(p, 1.0, f, count, n, 1.0, 0.0);
     }},
    {"closedIntegrate",
     [](const Doubles& p, const Integrand& f, int count, int n) {
       Doubles samples;
       for (int i = 0; i < n; ++i) samples.push_back(f(i));
       return closedIntegrate(p, 1.0, samples, count, n, 1.0);
     }},
};

TEST(Engines, NonPositiveNGivesAnEmptyResultWithoutSampling) {
  const Doubles pattern = {1.0, 2.0};
  for (const EngineCase& engine : kEngines) {
    for (const int n : {0, -1, INT_MIN}) {
      int calls = 0;
      const auto counted = [&calls](double) { return ++calls, 1.0; };
      EXPECT_TRUE(engine.run(pattern, counted, 2, n).empty()) << engine.name << " n = " << n;
      EXPECT_EQ(calls, 0) << engine.name << " n = " << n;
    }
  }
}

void expectRejected(const EngineCase& engine, const Doubles& pattern, int count,
                    const std::string& message) {
  try {
    engine.run(pattern, one, count, 3);
    ADD_FAILURE() << engine.name << ": accepted count " << count;
  } catch (const std::invalid_argument& error) {
    EXPECT_EQ(error.what(), std::string(engine.name) + ": " + message);
  }
}

TEST(Engines, RejectBadCountsAndShortPatterns) {
  for (const EngineCase& engine : kEngines) {
    expectRejected(engine, {1.0}, 0, "count must be at least 1, found 0");
    expectRejected(engine, {1.0}, -2, "count must be at least 1, found -2");
    expectRejected(engine, {1.0, 2.0}, 3, "expected 3 pattern weights, found 2");
  }
}

TEST(ClosedIntegrate, RejectsFewerSamplesThanN) {
  const Doubles pattern = {1.0};
  const Doubles samples = {1.0, 2.0};
  EXPECT_THROW(
      {
        try {
          closedIntegrate(pattern, 1.0, samples, 1, 3, 1.0);
        } catch (const std::invalid_argument& error) {
          EXPECT_STREQ(error.what(), "closedIntegrate: expected 3 samples, found 2");
          throw;
        }
      },
      std::invalid_argument);
}

}  // namespace
}  // namespace lsde
