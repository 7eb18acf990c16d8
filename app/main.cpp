// lsde: simulates M·x'' + C·x' + K·x = F(t) from an input file and prints the trajectory.
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "dynamics/driven.hpp"
#include "input/bounds.hpp"
#include "input/cursor.hpp"
#include "input/input_error.hpp"
#include "input/input_file.hpp"

namespace {

// Fixed run parameters.
constexpr double kTimeStep = 0.01;
constexpr int kSteps = 1000;
constexpr int kReportInterval = 10;

// Loads, parses and echoes the input file. The text buffer, as large as the file, is released
// on return, before the simulation needs its memory.
lsde::InputFile readInput(const std::string& path) {
  lsde::TextBuffer text = lsde::loadText(path);
  return lsde::readInputFile(text, lsde::physicalMemoryBytes());
}

int run(const std::string& path) {
  const lsde::InputFile in = readInput(path);
  if (!lsde::printDrivenLSDE(in.m, in.c, in.k, in.n, in.positions, in.velocities, kTimeStep, kSteps,
                             in.drives, kReportInterval)) {
    std::putchar('\n');  // ends the "Error, Singular" line
    throw lsde::InputError(0,
                           "the mass matrix M is singular (|det M| < 1e-8); nothing to integrate");
  }
  std::puts("Press <enter> to quit:");
  std::fflush(stdout);
  std::getchar();
  return 0;
}

int fail(const std::string& path, int line, const std::string& message) {
  std::fflush(stdout);
  if (line > 0)
    std::fprintf(stderr, "lsde: %s:%d: %s\n", path.c_str(), line, message.c_str());
  else
    std::fprintf(stderr, "lsde: %s: %s\n", path.c_str(), message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc >= 2 ? argv[1] : "input.csv";
  try {
    return run(path);
  } catch (const lsde::InputError& e) {
    return fail(path, e.line(), e.what());
  } catch (const std::bad_alloc&) {
    return fail(path, 0, "out of memory for a system of this size");
  } catch (const std::exception& e) {
    return fail(path, 0, e.what());
  }
}
