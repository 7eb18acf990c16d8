#pragma once

#include <span>
#include <vector>

#include "dynamics/loads.hpp"

namespace lsde {

/// One period of a response spectrum: the peak relative displacement Sd of the oscillator of
/// that period, and from it the pseudo-velocity PSv = ω·Sd and pseudo-acceleration PSa = ω²·Sd
/// (ω = 2π/T), in the record's units times the scale (Sd in them times s²).
struct SpectrumPoint {
  double period, sd, psv, psa;
};

/// The response spectrum of a ground acceleration record: for each period T (> 0) the linear
/// oscillator u'' + 2ζω·u' + ω²·u = −scale·a_g(t) with ζ = damping (0 ≤ ζ < 1), at rest at
/// t = 0, solved exactly for the record's piecewise-linear acceleration; Sd is the largest |u|
/// at the samples. The periods are shared among the worker threads; the bits are the same for
/// every thread count.
std::vector<SpectrumPoint> responseSpectrum(const GroundRecord& record,
                                            std::span<const double> periods, double damping,
                                            double scale = 1.0);

/// count periods (≥ 2) log-spaced from `from` to `to`, both ends exactly included.
std::vector<double> logSpacedPeriods(double from, double to, int count);

}  // namespace lsde
