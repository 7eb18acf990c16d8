#pragma once

#include <functional>
#include <span>
#include <vector>

namespace lsde {

/// A real function of one real variable, sampled at x_i = i·h + x0.
using Integrand = std::function<double(double)>;

/// Open rule: entry i is the running sum over samples 0 … i of (s_k × pattern[k mod count]) ×
/// scale, with scale = ((n−1)·h)/(n+1). The integrand is called n times, in increasing i,
/// before any summation. n ≤ 0 gives an empty result without a call.
/// Throws std::invalid_argument when count < 1 or the pattern holds fewer than count weights.
std::vector<double> openIntegrateFunction(std::span<const double> pattern,
                                          const Integrand& integrand, int count, int n, double h,
                                          double x0);

/// Closed rule over the samples of the integrand; see closedIntegrate. The integrand is called
/// n times, in increasing i, before any summation.
std::vector<double> closedIntegrateFunction(std::span<const double> pattern, double endWeight,
                                            const Integrand& integrand, int count, int n, double h,
                                            double x0);

/// Closed rule over samples already held: sample 0 weighs endWeight, sample i ≥ 1 weighs
/// pattern[(i−1) mod count], and the last one endWeight in addition; every term is
/// (s × w) × scale with scale = ((n−1)·h)/n. Entry i is the running sum after sample i.
/// n ≤ 0 gives an empty result. Throws std::invalid_argument when count < 1, the pattern
/// holds fewer than count weights or samples fewer than n.
std::vector<double> closedIntegrate(std::span<const double> pattern, double endWeight,
                                    std::span<const double> samples, int count, int n, double h);

}  // namespace lsde
