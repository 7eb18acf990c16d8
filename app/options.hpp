#pragma once

#include <optional>
#include <string>

#include <vector>

#include "app/dof_list.hpp"
#include "dynamics/simulate.hpp"
#include "models/model_files.hpp"

namespace lsde::app {

enum class Format { Report, Csv };

/// What the command line asks of one run of the program.
struct ProgramOptions {
  std::string input = "input.csv";    // "-" is standard input
  std::optional<ModelFiles> model;    // set: the model comes from these files, not input
  std::vector<DofRange> dofs;         // the coordinates to report; empty: all
  std::optional<std::string> output;  // a file written whole or not at all; unset: stdout
  RunSettings run;
  Format format = Format::Report;
  bool echo = true;
  bool prompt = true;
};

/// Reads the command line into options. Returns an exit status when the program should stop
/// now: 0 after --help or --version (printed on standard output), 2 after a usage error (one
/// line "lsde: …" and a pointer to --help on standard error).
std::optional<int> parseCommandLine(int argc, char** argv, ProgramOptions& options);

}  // namespace lsde::app
