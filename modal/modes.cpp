#include "modal/modes.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string>

#include "modal/storage.hpp"
#include "modal/structure.hpp"

namespace lsde {
namespace {

using modal_detail::numberText;

// Asymmetry up to this fraction of a matrix's largest entry is rounding (of an assembly, say).
constexpr double kSymmetryTolerance = 1e-12;
// An eigenvalue λ within these fractions of the eigenvalue scale (tr K / tr M, a typical λ)
// around zero is a rigid-body mode's rounding, ω = 0: a few hundred ε above (far below any
// structure's lowest elastic λ), more below, where solvers round less tightly and a
// structure's genuinely negative λ lies far off.
constexpr double kRigidAbove = 1024 * std::numeric_limits<double>::epsilon();
constexpr double kRigidBelow = 1e-8;
// Components within this fraction of the largest count as equally large, so that rounding
// does not choose a shape's sign.
constexpr double kSignTolerance = 1e-6;

std::string nameOf(Part part) {
  return part == Part::Mass ? "the mass matrix M" : "the stiffness matrix K";
}

std::string entryName(Part part, int r, int c) {
  return std::string(part == Part::Mass ? "M" : "K") + "(" + std::to_string(r + 1) + "," +
         std::to_string(c + 1) + ")";
}

// Throws unless every entry is a finite number and the matrix equals its transpose within
// rounding.
void requireSymmetric(const Structure& s, Part part) {
  double largest = 0.0, worst = 0.0;
  int row = -1, col = -1;
  s.forEachEntry(part, [&](int r, int c, double value) {
    if (!std::isfinite(value) && row < 0) {
      row = r;
      col = c;
    }
    largest = std::max(largest, std::abs(value));
  });
  if (row >= 0)
    throw ModalError(nameOf(part) + " has an entry that is not a finite number: " +
                     entryName(part, row, col) + " = " + numberText(s.entry(part, row, col)));
  s.forEachEntry(part, [&](int r, int c, double value) {
    const double difference = std::abs(value - s.entry(part, c, r));
    if (difference > worst) {
      worst = difference;
      row = r;
      col = c;
    }
  });
  if (worst > kSymmetryTolerance * largest)
    throw ModalError(nameOf(part) + " is not symmetric: " + entryName(part, row, col) + " − " +
                     entryName(part, col, row) + " = " +
                     numberText(s.entry(part, row, col) - s.entry(part, col, row)) + ", " +
                     numberText(worst / largest) + " of its largest entry");
}

double dot(std::span<const double> a, std::span<const double> b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) sum = sum + a[i] * b[i];
  return sum;
}

// φ scaled to φᵀ·M·φ = 1 (massPhi holds M·φ), its first component of largest magnitude
// positive.
void normalize(std::span<double> phi, std::span<const double> massPhi) {
  double largest = 0.0;
  for (const double x : phi) largest = std::max(largest, std::abs(x));
  const auto first = std::find_if(phi.begin(), phi.end(), [largest](double x) {
    return std::abs(x) >= (1.0 - kSignTolerance) * largest;
  });
  const double sign = first != phi.end() && *first < 0.0 ? -1.0 : 1.0;
  const double factor = sign / std::sqrt(dot(phi, massPhi));
  for (double& x : phi) x = x * factor;
}

// ω from λ = ω², rounding below zero taken as a rigid-body mode.
double omegaOf(double lambda, double scale, int mode) {
  if (lambda > kRigidAbove * scale) return std::sqrt(lambda);
  if (lambda >= -kRigidBelow * scale) return 0.0;
  throw ModalError("K is not positive semidefinite: mode " + std::to_string(mode) +
                   " has ω² = " + numberText(lambda) + " < 0 (the structure is unstable)");
}

}  // namespace

NaturalModes naturalModes(const Model& model, int count, std::span<const double> direction) {
  const int n = model.n;
  if (count < 1) throw std::invalid_argument("naturalModes: count must be at least 1");
  if (!direction.empty() && direction.size() != static_cast<std::size_t>(n))
    throw std::invalid_argument("naturalModes: the direction must have n entries");
  count = std::min(count, n);
  const auto s = structureOf(model);
  requireSymmetric(*s, Part::Mass);
  requireSymmetric(*s, Part::Stiffness);

  const auto size = static_cast<std::size_t>(n);
  std::vector<double> iota(direction.begin(), direction.end());
  if (iota.empty()) iota.assign(size, 1.0);
  std::vector<double> massIota(size);
  Eigenpairs pairs = s->lowestEigenpairs(count);  // M positive definite from here on
  NaturalModes result;
  result.n = n;
  s->multiply(Part::Mass, iota, massIota);
  result.directionMass = dot(iota, massIota);
  if (!(result.directionMass > 0.0))
    throw ModalError("the direction gives no mass: ιᵀ·M·ι = " + numberText(result.directionMass));
  double scale = modal_detail::typicalEigenvalue(*s);
  for (const double lambda : pairs.values) scale = std::max(scale, std::abs(lambda));
  result.shapes = std::move(pairs.vectors);
  // All shapes at once: a dense model's products are then matrix products, far faster.
  std::vector<double> products(result.shapes.size());
  s->multiply(Part::Mass, result.shapes, products, count);
  for (int j = 0; j < count; ++j)
    normalize(std::span<double>(result.shapes).subspan(j * size, size),
              std::span<const double>(products).subspan(j * size, size));
  s->multiply(Part::Damping, result.shapes, products, count);
  double running = 0.0;
  for (int j = 0; j < count; ++j) {
    const std::span<const double> phi = result.shape(j);
    Mode mode{};
    mode.omega = omegaOf(pairs.values[j], scale, j + 1);
    mode.frequency = mode.omega / (2.0 * std::numbers::pi);
    mode.period = 1.0 / mode.frequency;
    const double damping = dot(phi, std::span<const double>(products).subspan(j * size, size));
    mode.damping =
        mode.omega > 0.0 ? damping / (2.0 * mode.omega) : std::numeric_limits<double>::quiet_NaN();
    mode.participation = dot(phi, massIota);
    mode.effectiveMass = mode.participation * mode.participation;
    running = running + mode.effectiveMass;
    mode.cumulative = running / result.directionMass;
    result.modes.push_back(mode);
  }
  return result;
}

}  // namespace lsde
