#pragma once

// The two storages behind Structure; private to the modal library.

#include <memory>
#include <string>
#include <vector>

#include "dynamics/model.hpp"
#include "modal/structure.hpp"

namespace lsde::modal_detail {

std::unique_ptr<Structure> denseStructure(const DenseMatrices& matrices, int n);
std::unique_ptr<Structure> sparseStructure(const SparseMatrices& matrices, int n);

/// The count lowest eigenpairs of K·φ = λ·M·φ for n × n matrices stored by columns, of which
/// the lower triangles are read: all n by a symmetric-definite dense solver, the first count
/// kept.
Eigenpairs denseEigenpairs(std::vector<double> k, std::vector<double> m, int n, int count);

/// The message for a dynamic stiffness K − Ω²·M + iΩ·C that could not be factored at omega:
/// singular, or holding entries that are not numbers.
std::string singularDynamicStiffness(double omega, bool notNumbers);

/// tr K / tr M: the size of a typical eigenvalue of K·φ = λ·M·φ, against which shifts and
/// rounding are measured.
double typicalEigenvalue(const Structure& s);

/// value with six significant digits, for messages.
std::string numberText(double value);

}  // namespace lsde::modal_detail
