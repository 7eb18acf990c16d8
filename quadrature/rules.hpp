#pragma once

#include <array>
#include <vector>

#include "quadrature/newton_cotes.hpp"

namespace lsde {

/// Milne's open weights 2, −1, 2, repeated from sample 0.
inline constexpr std::array<double, 3> kMilnePattern = {2.0, -1.0, 2.0};
/// Simpson's inner weights 4/3, 2/3, repeated from sample 1.
inline constexpr std::array<double, 2> kSimpsonPattern = {1.3333333333333333, 0.6666666666666666};
/// Simpson's end weight 1/3.
inline constexpr double kSimpsonEndWeight = 0.3333333333333333;
/// Boole's inner weights 64/45, 8/15, 64/45, 28/45, repeated from sample 1.
inline constexpr std::array<double, 4> kBoolePattern = {1.4222222222222223, 0.5333333333333333,
                                                        1.4222222222222223, 0.6222222222222222};
/// Boole's end weight 14/45.
inline constexpr double kBooleEndWeight = 0.3111111111111111;
/// First pass of the quadrature Verlet rule: only even samples count, twice.
inline constexpr std::array<double, 2> kVerletFirstPattern = {0.0, 2.0};
/// Second pass of the quadrature Verlet rule: every sample from 1 on counts once.
inline constexpr std::array<double, 2> kVerletSecondPattern = {1.0, 1.0};
/// The quadrature Verlet rule has no end weight.
inline constexpr double kVerletEndWeight = 0.0;

/// Running integral of f by the open Milne pattern on x_i = i·h + x0, i < n.
std::vector<double> milne(const Integrand& f, int n, double x0, double h);

/// Running integral of f by the closed Simpson pattern on x_i = i·h + x0, i < n.
std::vector<double> simpson(const Integrand& f, int n, double x0, double h);

/// Running integral of f by the closed Boole pattern on x_i = i·h + x0, i < n.
std::vector<double> boole(const Integrand& f, int n, double x0, double h);

/// Running double integral: the Boole running sum of boole(f, n, x0, h). Calls f n times.
std::vector<double> doubleBoole(const Integrand& f, int n, double x0, double h);

/// Running double integral by the two-rate Verlet weights: (0, 2) on f's samples, then (1, 1)
/// on that running integral, both without end weight. Calls f n times.
std::vector<double> verlet(const Integrand& f, int n, double x0, double h);

}  // namespace lsde
