#include "models/model_files.hpp"

#include <cstddef>
#include <optional>
#include <string>

#include "models/file_error.hpp"
#include "models/harmonic_loads.hpp"
#include "models/matrix_market.hpp"

namespace lsde {
namespace {

std::string shape(int n) {
  return std::to_string(n) + " × " + std::to_string(n);
}

// Every matrix of a model has the mass matrix's size.
MatrixEntries readMatching(const std::string& path, const MatrixEntries& mass,
                           const std::string& massPath, std::uint64_t memoryBytes) {
  MatrixEntries a = readMatrixMarketEntries(path, memoryBytes);
  if (a.n != mass.n)
    throw FileError(
        path, 0,
        "a " + shape(a.n) + " matrix, but the mass matrix " + massPath + " is " + shape(mass.n));
  return a;
}

std::vector<double> readState(const std::optional<std::string>& path, int n) {
  if (!path) return std::vector<double>(static_cast<std::size_t>(n), 0.0);
  return readMatrixMarketVector(*path, n);
}

}  // namespace

Model readModelFiles(const ModelFiles& files, std::uint64_t memoryBytes) {
  MatrixEntries m = readMatrixMarketEntries(files.mass, memoryBytes);
  MatrixEntries k = readMatching(files.stiffness, m, files.mass, memoryBytes);
  std::optional<MatrixEntries> c;
  if (files.damping) c = readMatching(*files.damping, m, files.mass, memoryBytes);
  // A row without an entry in M, K or C leaves M, K − Ω²·M + iΩ·C and every matrix a command
  // solves singular. Refused before the rows, which a size line alone may claim, are laid out.
  const std::size_t held = m.list.size() + k.list.size() + (c ? c->list.size() : 0);
  if (static_cast<std::size_t>(m.n) > held)
    throw FileError(files.mass, m.sizeLine,
                    "the model's " + std::to_string(m.n) +
                        " rows need an entry each in M, K or C, but the files hold " +
                        std::to_string(held) + " entries");
  SparseMatrices s;
  s.m = toMatrix(std::move(m));
  s.k = toMatrix(std::move(k));
  const int n = s.m.rows();
  if (c) {
    s.c = toMatrix(std::move(*c));
  } else if (files.rayleigh) {
    const WeightedMatrix terms[] = {{(*files.rayleigh)[0], &s.m}, {(*files.rayleigh)[1], &s.k}};
    s.c = weightedSum(terms);
  } else {
    s.c = CsrMatrix(n, n);
  }
  Model model;
  model.n = n;
  model.positions = readState(files.positions, n);
  model.velocities = readState(files.velocities, n);
  if (files.harmonic) model.drives = readHarmonicLoads(*files.harmonic, n, memoryBytes);
  model.matrices = std::move(s);
  return model;
}

std::string modelName(const ModelFiles& files) {
  std::string name = files.mass + ", " + files.stiffness;
  if (files.damping) name += ", " + *files.damping;
  return name;
}

}  // namespace lsde
