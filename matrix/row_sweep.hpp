#pragma once

namespace lsde::row_sweep {

/// Columns handled by one sweep: eight vectors of four doubles that stay in registers.
inline constexpr int kWidth = 32;

// Each sweep runs over kWidth columns: out[j] ← out[j] ± coef[k]·rows[k·kWidth + j] for
// k = 0 … depth−1 in turn and j < kWidth, so every entry receives its terms in order, each
// product rounded before the sum (never fused). rows holds depth rows of kWidth doubles.

/// out[j] + coef[k]·rows[k][j], for every k.
void add(double* out, const double* coef, const double* rows, int depth);

/// out[j] − coef[k]·rows[k][j], for every k whose coefficient is not ±0.
void subtractNonZero(double* out, const double* coef, const double* rows, int depth);

}  // namespace lsde::row_sweep
