#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "dynamics/model.hpp"

namespace lsde {

/// A model given as files: Matrix Market matrices and vectors, and a CSV of harmonic loads.
struct ModelFiles {
  std::string mass, stiffness;
  std::optional<std::string> damping;
  std::optional<std::array<double, 2>> rayleigh;     // C = A·M + B·K
  std::optional<std::string> positions, velocities;  // n × 1 vectors; default zero
  std::optional<std::string> harmonic;               // dof,amplitude,omega,phase
};

/// Reads the files into a sparse model: C from its file, from the Rayleigh coefficients, or
/// zero. Throws FileError naming the file (and the line where one applies) for anything
/// malformed, and for sizes that differ between the files. memoryBytes bounds what a size line
/// may promise (0: not checked).
Model readModelFiles(const ModelFiles& files, std::uint64_t memoryBytes);

/// The name of the model in messages: its files, comma-separated.
std::string modelName(const ModelFiles& files);

}  // namespace lsde
