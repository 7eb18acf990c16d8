#pragma once

#include <cstdint>
#include <vector>

#include "dynamics/driver.hpp"
#include "dynamics/model.hpp"
#include "input/cursor.hpp"
#include "matrix/matrix.hpp"

namespace lsde {

/// Everything a run takes from its input file.
struct InputFile {
  int n = 0;
  Matrix m;  // mass
  Matrix c;  // damping
  Matrix k;  // stiffness
  std::vector<Driver> drives;
  std::vector<double> positions;
  std::vector<double> velocities;
};

/// Parses a loaded input file in file order and echoes it as it goes: n, then M, C and K once
/// all three are read, then every drive component. Before anything of size n × n is allocated
/// it checks that the file can hold a system of size n and that its matrices fit in
/// `memoryBytes` (0: unknown, not checked). Throws InputError for an empty file and for
/// anything malformed. With echo false nothing is printed.
InputFile readInputFile(TextBuffer& text, std::uint64_t memoryBytes, bool echo = true);

/// The model of an input file, its dense matrices moved into it.
Model toModel(InputFile&& in);

}  // namespace lsde
