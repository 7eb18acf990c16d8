#include "models/model_files.hpp"

#include <string>

#include "models/file_error.hpp"
#include "models/harmonic_loads.hpp"
#include "models/matrix_market.hpp"

namespace lsde {
namespace {

std::string shape(const CsrMatrix& a) {
  return std::to_string(a.rows()) + " × " + std::to_string(a.cols());
}

// Every matrix of a model has the mass matrix's size.
CsrMatrix readMatching(const std::string& path, const CsrMatrix& mass, const std::string& massPath,
                       std::uint64_t memoryBytes) {
  CsrMatrix a = readMatrixMarketMatrix(path, memoryBytes);
  if (a.rows() != mass.rows())
    throw FileError(
        path, 0,
        "a " + shape(a) + " matrix, but the mass matrix " + massPath + " is " + shape(mass));
  return a;
}

std::vector<double> readState(const std::optional<std::string>& path, int n) {
  if (!path) return std::vector<double>(static_cast<std::size_t>(n), 0.0);
  return readMatrixMarketVector(*path, n);
}

}  // namespace

Model readModelFiles(const ModelFiles& files, std::uint64_t memoryBytes) {
  SparseMatrices s;
  s.m = readMatrixMarketMatrix(files.mass, memoryBytes);
  s.k = readMatching(files.stiffness, s.m, files.mass, memoryBytes);
  const int n = s.m.rows();
  if (files.damping) {
    s.c = readMatching(*files.damping, s.m, files.mass, memoryBytes);
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
  if (files.harmonic) model.drives = readHarmonicLoads(*files.harmonic, n);
  model.matrices = std::move(s);
  return model;
}

std::string modelName(const ModelFiles& files) {
  std::string name = files.mass + ", " + files.stiffness;
  if (files.damping) name += ", " + *files.damping;
  return name;
}

}  // namespace lsde
