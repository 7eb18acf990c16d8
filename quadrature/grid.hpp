#pragma once

#include <functional>
#include <span>

namespace lsde {

/// base^exponent by squaring from the lowest bit; exponent 0 gives 1.0 for every base, and a
/// negative exponent gives 1 / base^|exponent|.
double ipow(double base, int exponent);

/// Region test at a grid point; 0 means outside, any other value weighs the point.
using PointMembership = std::function<int(std::span<const double> point)>;
/// The integrand at a grid point.
using PointValue = std::function<double(std::span<const double> point)>;

/// Sum over the grid lo[k] + d·h, d = 0 … round((hi[k] − lo[k])/h) − 1, of
/// h^dims × (membership × value), dimension 0 fastest; value is called at every point.
/// A grid with a step count ≤ 0 in any dimension is empty and gives 0.0 without calls.
/// Throws std::invalid_argument when dims < 0, lo or hi holds fewer than dims bounds, a step
/// count is not finite or exceeds 32 bits, or the grid has more than INT_MAX points.
double n_dimensional_integrate_function(int dims, const PointMembership& membership,
                                        std::span<const double> lo, std::span<const double> hi,
                                        const PointValue& value, double h);

/// Region test at (x, y); 0 means outside, any other value counts once.
using PlaneMembership = std::function<int(double x, double y)>;
/// The integrand at (x, y).
using PlaneValue = std::function<double(double x, double y)>;

/// Sum of (value × h) × h over the grid points inside the region, x outer and y inner; value is
/// called only inside. A step count ≤ 0 in either direction gives 0.0 without calls.
/// Throws std::invalid_argument when a step count is not finite or exceeds 32 bits.
double two_dimensional_integrate_function(const PlaneMembership& membership, double xLower,
                                          double xUpper, double yLower, double yUpper,
                                          const PlaneValue& value, double h);

}  // namespace lsde
