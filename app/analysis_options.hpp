#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/dof_list.hpp"
#include "app/model_options.hpp"
#include "app/options.hpp"
#include "io/output.hpp"

namespace CLI {
class App;
}

namespace lsde::app {

/// What every analysis command (lsde modes, lsde frf) takes besides its own options.
struct AnalysisOptions {
  ModelSource model;                  // an input file ("-": standard input) or model files
  std::vector<DofRange> dofs;         // the coordinates reported; empty: all
  std::optional<std::string> output;  // a file written whole or not at all; unset: stdout
  Format format = Format::Report;
  int threads = 0;  // 0: every core
};

/// The texts of those options as given, before they are checked.
struct AnalysisTexts {
  std::string input, dofs, format, output, threads;
  ModelOptionTexts model;
};

/// Adds MODEL (a positional input file), the model's matrix files, --dofs (described by
/// dofsHelp), --format, -o and --threads to cli.
void addAnalysisOptions(CLI::App& cli, AnalysisTexts& texts, const std::string& dofsHelp);

/// The checked options. Throws UsageError.
AnalysisOptions analysisOptions(const AnalysisTexts& texts);

/// Appends what printf would write for format and the arguments (at most 255 characters).
void appendFormatted(OutputBuffer& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

}  // namespace lsde::app
