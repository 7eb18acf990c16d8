#include "modal/frequency_response.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>

#include "matrix/parallel.hpp"
#include "modal/structure.hpp"

namespace lsde {
namespace {

// Frequencies solved together before their rows are handed on, so that memory stays bounded
// however many are asked for.
constexpr int kBlock = 64;

using Complex = std::complex<double>;

// Solves for k = 0 … count − 1 with the frequency and force that omegaAt and forceAt give.
template <class OmegaAt, class ForceAt>
void respond(const Model& model, int count, OmegaAt omegaAt, ForceAt forceAt,
             std::span<const int> dofs, const ResponseObserver& observe) {
  const auto structure = structureOf(model);
  const auto n = static_cast<std::size_t>(model.n);
  // A dense LU costs some n³ operations a frequency: enough, beyond tiny models, for threads.
  const double cube = static_cast<double>(n) * static_cast<double>(n) * static_cast<double>(n);
  const std::size_t workPerFrequency = static_cast<std::size_t>(std::min(cube, 1e15));
  std::vector<Complex> block(static_cast<std::size_t>(kBlock) * dofs.size());
  std::vector<std::exception_ptr> failures(kBlock);
  for (int first = 0; first < count; first += kBlock) {
    const int size = std::min(kBlock, count - first);
    forEachRange(size, workPerFrequency * static_cast<std::size_t>(size), 1,
                 [&](int begin, int end) {
                   int b = begin;
                   try {
                     std::vector<Complex> x(n);
                     for (; b < end; ++b) {
                       structure->solveDynamic(omegaAt(first + b), forceAt(first + b), x);
                       for (std::size_t d = 0; d < dofs.size(); ++d)
                         block[static_cast<std::size_t>(b) * dofs.size() + d] = x[dofs[d]];
                     }
                   } catch (...) {
                     failures[b] = std::current_exception();  // reported in order of frequency
                   }
                 });
    for (int b = 0; b < size; ++b) {
      if (failures[b]) std::rethrow_exception(failures[b]);
      observe(first + b, std::span<const Complex>(block).subspan(b * dofs.size(), dofs.size()));
    }
  }
}

}  // namespace

std::vector<double> frequencySweep(double from, double to, int count, bool logarithmic) {
  if (count < 1) throw std::invalid_argument("frequencySweep: count must be at least 1");
  if (logarithmic && !(from > 0.0 && to > 0.0))
    throw std::invalid_argument("frequencySweep: a log sweep needs frequencies above 0");
  std::vector<double> omegas(static_cast<std::size_t>(count));
  omegas.front() = from;
  for (int k = 1; k < count; ++k) {
    const double fraction = static_cast<double>(k) / (count - 1);
    omegas[k] = logarithmic ? std::exp(std::log(from) + (std::log(to) - std::log(from)) * fraction)
                            : from + (to - from) * fraction;
  }
  if (count > 1) omegas.back() = to;
  return omegas;
}

std::vector<Complex> forcePattern(std::span<const Driver> drives, int n) {
  std::vector<Complex> force(static_cast<std::size_t>(n));
  for (std::size_t i = 0; i < drives.size() && i < force.size(); ++i)
    for (int j = 0; j < drives[i].count; ++j) {
      const double a = drives[i].amplitudes[j], phase = drives[i].phases[j];
      force[i] += Complex(a * std::cos(phase), a * std::sin(phase));
    }
  return force;
}

std::vector<Harmonic> driveHarmonics(std::span<const Driver> drives, int n) {
  std::map<double, std::vector<Complex>> byFrequency;
  for (std::size_t i = 0; i < drives.size() && i < static_cast<std::size_t>(n); ++i)
    for (int j = 0; j < drives[i].count; ++j) {
      const double omega = drives[i].frequencies[j], a = drives[i].amplitudes[j],
                   phase = drives[i].phases[j];
      if (!std::isfinite(omega))
        throw ModalError("coordinate " + std::to_string(i + 1) +
                         " has a drive frequency that is not a finite number");
      // cos(−ωt + φ) = cos(ωt − φ); at ω = 0 the force is the constant A·cos φ.
      const double sine = omega == 0.0 ? 0.0 : omega < 0.0 ? -std::sin(phase) : std::sin(phase);
      std::vector<Complex>& force = byFrequency[std::abs(omega)];
      force.resize(static_cast<std::size_t>(n));
      force[i] += Complex(a * std::cos(phase), a * sine);
    }
  std::vector<Harmonic> harmonics;
  for (auto& [omega, force] : byFrequency) harmonics.push_back({omega, std::move(force)});
  return harmonics;
}

void frequencyResponse(const Model& model, std::span<const double> omegas,
                       std::span<const Complex> force, std::span<const int> dofs,
                       const ResponseObserver& observe) {
  respond(
      model, static_cast<int>(omegas.size()), [omegas](int k) { return omegas[k]; },
      [force](int) { return force; }, dofs, observe);
}

void steadyState(const Model& model, std::span<const Harmonic> harmonics, std::span<const int> dofs,
                 const ResponseObserver& observe) {
  respond(
      model, static_cast<int>(harmonics.size()), [harmonics](int k) { return harmonics[k].omega; },
      [harmonics](int k) { return std::span<const Complex>(harmonics[k].force); }, dofs, observe);
}

}  // namespace lsde
