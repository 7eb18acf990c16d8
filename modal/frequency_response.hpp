#pragma once

#include <complex>
#include <functional>
#include <span>
#include <vector>

#include "dynamics/driver.hpp"
#include "dynamics/model.hpp"

namespace lsde {

/// count forcing frequencies from `from` to `to`, both included (`from` alone for count 1): evenly
/// spaced, or evenly spaced in log Ω with logarithmic (from and to > 0). Throws
/// std::invalid_argument for count < 1, or a log sweep through values ≤ 0.
std::vector<double> frequencySweep(double from, double to, int count, bool logarithmic);

/// The force pattern F̂ of a drive table: each coordinate's Σ A·e^{iφ} over its components in
/// order, whatever their frequencies (n entries).
std::vector<std::complex<double>> forcePattern(std::span<const Driver> drives, int n);

/// The part of a drive at one frequency: F(t) = Re(force·e^{iΩt}).
struct Harmonic {
  double omega;
  std::vector<std::complex<double>> force;  // n entries
};

/// A drive table split by its distinct frequencies |ω|, ascending: A·cos(ωt + φ) adds A·e^{iφ}
/// at ω > 0, A·e^{−iφ} at |ω| for ω < 0, and A·cos φ at ω = 0.
std::vector<Harmonic> driveHarmonics(std::span<const Driver> drives, int n);

/// Receives the response at the k-th frequency: X at the selected coordinates.
using ResponseObserver = std::function<void(int k, std::span<const std::complex<double>> x)>;

/// The steady state X(Ω) = (K − Ω²·M + iΩ·C)⁻¹·F̂ at each Ω of omegas, solved directly (a complex
/// LU factorization per frequency), with x(t) = Re(X·e^{iΩt}); observe gets X at the coordinates
/// `dofs` (0-based) for k = 0, 1, … in order. The frequencies are shared among the worker threads,
/// each solved on one: the bits are the same for every thread count. Throws ModalError when the
/// matrix is singular at some Ω.
void frequencyResponse(const Model& model, std::span<const double> omegas,
                       std::span<const std::complex<double>> force, std::span<const int> dofs,
                       const ResponseObserver& observe);

/// The exact periodic steady state of a drive given by its harmonics: the response to each, as
/// frequencyResponse gives it (observe's k counts the harmonics).
void steadyState(const Model& model, std::span<const Harmonic> harmonics, std::span<const int> dofs,
                 const ResponseObserver& observe);

}  // namespace lsde
