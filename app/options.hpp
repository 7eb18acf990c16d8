#pragma once

#include <optional>
#include <string>

#include <vector>

#include "app/dof_list.hpp"
#include "app/model_options.hpp"
#include "dynamics/simulate.hpp"

namespace lsde::app {

enum class Format { Report, Csv };

/// What the command line asks of one run of the program.
struct ProgramOptions {
  ModelSource model;                  // an input file ("-": standard input) or model files
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
