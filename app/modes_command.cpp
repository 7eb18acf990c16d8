#include "app/modes_command.hpp"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/analysis_options.hpp"
#include "app/failures.hpp"
#include "app/option_values.hpp"
#include "app/output_file.hpp"
#include "io/output.hpp"
#include "matrix/parallel.hpp"
#include "modal/modes.hpp"
#include "models/matrix_market.hpp"

namespace lsde::app {
namespace {

struct ModesOptions {
  AnalysisOptions common;
  std::optional<int> count;              // unset: 10, or n when that is fewer
  std::optional<std::string> direction;  // a Matrix Market n × 1 file; unset: all ones
  std::optional<std::string> shapes;     // the CSV of the mode shapes
};

void writeCsv(OutputBuffer& out, const NaturalModes& found) {
  out.text("mode,omega,f,T,zeta,gamma,mass,cumulative\n");
  for (std::size_t j = 0; j < found.modes.size(); ++j) {
    const Mode& m = found.modes[j];
    out.text(std::to_string(j + 1));
    for (const double value : {m.omega, m.frequency, m.period, m.damping, m.participation,
                               m.effectiveMass, m.cumulative}) {
      out.put(',');
      out.shortest(value);
    }
    out.put('\n');
  }
}

void writeReport(OutputBuffer& out, const NaturalModes& found, const ModesOptions& options) {
  out.text("Natural modes: the " + std::to_string(found.modes.size()) +
           " lowest of n = " + std::to_string(found.n) +
           "; direction ι: " + (options.direction ? *options.direction : std::string("all ones")));
  appendFormatted(out, ", ιᵀ·M·ι = %.6g\n\n", found.directionMass);
  out.text(
      "mode         omega             f             T          zeta         gamma          mass"
      "    cumulative\n");
  for (std::size_t j = 0; j < found.modes.size(); ++j) {
    const Mode& m = found.modes[j];
    appendFormatted(out, "%4.0f", static_cast<double>(j + 1));
    for (const double value :
         {m.omega, m.frequency, m.period, m.damping, m.participation, m.effectiveMass})
      appendFormatted(out, "%14.6g", value);
    appendFormatted(out, "%13.2f%%\n", 100.0 * m.cumulative);
  }
}

void writeShapes(OutputBuffer& out, const NaturalModes& found, std::span<const int> dofs) {
  out.text("dof");
  for (std::size_t j = 1; j <= found.modes.size(); ++j) out.text(",phi" + std::to_string(j));
  out.put('\n');
  for (const int dof : dofs) {
    out.text(std::to_string(dof + 1));
    for (std::size_t j = 0; j < found.modes.size(); ++j) {
      out.put(',');
      out.shortest(found.shape(static_cast<int>(j))[dof]);
    }
    out.put('\n');
  }
}

// The path made absolute, its links and dot folders resolved as far as it exists: two
// spellings of one file give the same path.
std::filesystem::path resolved(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  const std::filesystem::path full = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute : full;
}

int modes(const ModesOptions& options) {
  const ThreadScope threads(options.common.threads);
  OutputTarget target(options.common.output);
  std::optional<OutputTarget> shapesTarget;
  if (options.shapes) shapesTarget.emplace(options.shapes);
  const Model model = readModel(options.common.model, false);
  const std::vector<int> dofs = selectDofs(options.common.dofs, model.n);
  std::vector<double> direction;
  if (options.direction) direction = readMatrixMarketVector(*options.direction, model.n);
  const NaturalModes found = naturalModes(model, options.count.value_or(10), direction);
  if (options.count && *options.count > model.n)
    std::fprintf(stderr, "lsde: note: --count %d is more than n = %d; all %d modes are given\n",
                 *options.count, model.n, model.n);
  {
    OutputBuffer out(target.stream());
    if (options.common.format == Format::Csv)
      writeCsv(out, found);
    else
      writeReport(out, found, options);
    out.flush();
  }
  if (shapesTarget) {
    OutputBuffer out(shapesTarget->stream());
    writeShapes(out, found, dofs);
    out.flush();
    shapesTarget->commit();
  }
  target.commit();
  return 0;
}

}  // namespace

int runModes(std::span<char*> args) {
  CLI::App cli(
      "Natural frequencies, damping ratios, modal participation and mode shapes of a "
      "model: the lowest modes of K·φ = ω²·M·φ.",
      "lsde modes");
  AnalysisTexts texts;
  std::string count, direction, shapes;
  cli.add_option("--count", count, "the number of modes, lowest first (default 10; at most n)")
      ->type_name("N");
  cli.add_option("--direction", direction,
                 "the direction ι of the participation factors: a Matrix Market n × 1 vector, "
                 "or all (default: all ones)")
      ->type_name("FILE|all");
  cli.add_option("--shapes", shapes,
                 "write the mass-normalized mode shapes to FILE: CSV dof,phi1,…,phiN")
      ->type_name("FILE");
  addAnalysisOptions(cli, texts,
                     "the coordinates of the --shapes rows, 1-based, in this order "
                     "(default: all)");
  ModesOptions options;
  const std::optional<int> status = parseCommand(cli, "modes", args, [&] {
    options.common = analysisOptions(texts);
    if (!count.empty()) options.count = positiveInt("--count", count);
    if (!direction.empty() && direction != "all") options.direction = direction;
    if (!shapes.empty()) options.shapes = shapes;
    // --dofs picks the rows of the shapes file; the table has a row per mode.
    if (!options.shapes && !options.common.dofs.empty()) throw UsageError("--dofs needs --shapes");
    if (options.shapes && options.common.output &&
        resolved(*options.shapes) == resolved(*options.common.output))
      throw UsageError("--shapes and -o name the same file: give two");
  });
  if (status) return *status;
  return reportingFailures(modelName(options.common.model), [&] { return modes(options); });
}

}  // namespace lsde::app
