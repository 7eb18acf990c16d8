// lsde: simulates M·x'' + C·x' + K·x = F(t) from an input file and prints the trajectory.
#include <cmath>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "app/commands.hpp"
#include "app/failures.hpp"
#include "app/options.hpp"
#include "app/output_file.hpp"
#include "dynamics/simulate.hpp"
#include "input/input_error.hpp"
#include "io/output.hpp"
#include "io/trajectory_writers.hpp"
#include "matrix/parallel.hpp"
#include "models/file_error.hpp"

namespace {

using lsde::app::Format;
using lsde::app::ProgramOptions;

bool isDense(const lsde::Model& model) {
  return std::holds_alternative<lsde::DenseMatrices>(model.matrices);
}

// Rounded down to two significant digits, so that the step suggested is on the stable side.
double downToTwoDigits(double x) {
  if (!(x > 0.0) || !std::isfinite(x)) return x;
  const double unit = std::pow(10.0, std::floor(std::log10(x)) - 1.0);
  return std::floor(x / unit) * unit;
}

// The run goes on with the step given: its output is the method's true result.
void warnUnstableStep(double dt, const lsde::StepInstability& unstable) {
  std::fprintf(stderr,
               "lsde: warning: the step %g is unstable for this system (its fastest mode grows "
               "about ×%.2g per two steps); steps below about %.2g are stable\n",
               dt, unstable.growth, downToTwoDigits(unstable.stableStep));
}

// Integrates and writes the report or the CSV of the selected coordinates as the steps come.
// A dense singular M ends the "Error, Singular" line (printed in the report format only).
template <class Writer>
lsde::SimulationStatus simulateInto(Writer& writer, const lsde::Model& model,
                                    std::span<const int> dofs, const ProgramOptions& options) {
  const bool messages = options.format == Format::Report;
  const lsde::ScopedOutput singularMessage(messages ? lsde::outputStream() : nullptr);
  const bool everyDof = options.dofs.empty();
  std::vector<double> x(dofs.size()), v(dofs.size());
  const lsde::SimulationStatus status = lsde::simulate(
      model, options.run,
      [&](int step, std::span<const double> positions, std::span<const double> velocities) {
        if (everyDof) return writer(step, positions, velocities);
        for (std::size_t k = 0; k < dofs.size(); ++k) {
          x[k] = positions[dofs[k]];
          v[k] = velocities[dofs[k]];
        }
        writer(step, x, v);
      },
      [&options](const lsde::StepInstability& unstable) {
        warnUnstableStep(options.run.dt, unstable);
      });
  if (status == lsde::SimulationStatus::SingularMass && isDense(model)) lsde::printText("\n");
  if (status == lsde::SimulationStatus::Completed) writer.finish();
  return status;
}

// Why a run integrated nothing, naming the mass file of a model from files.
void failWith(lsde::SimulationStatus status, const ProgramOptions& options) {
  if (status == lsde::SimulationStatus::SingularNewmarkMatrix)
    throw lsde::InputError(
        0, "the Newmark matrix K + 2/dt·C + 4/dt²·M is singular; nothing to integrate");
  if (options.model.files)
    throw lsde::FileError(options.model.files->mass, 0,
                          "the mass matrix M is singular; nothing to integrate");
  throw lsde::InputError(0, "the mass matrix M is singular (|det M| < 1e-8); nothing to integrate");
}

int run(const ProgramOptions& options) {
  const lsde::ThreadScope threads(options.run.threads);  // the reading and the echo too
  lsde::app::OutputTarget target(options.output);
  const lsde::ScopedOutput output(target.stream());
  const lsde::Model model = lsde::app::readModel(options.model, options.echo, options.dofs);
  const std::vector<int> dofs = lsde::app::selectDofs(options.dofs, model.n);
  lsde::SimulationStatus status;
  if (options.format == Format::Csv) {
    std::vector<int> numbers(dofs.size());
    for (std::size_t k = 0; k < dofs.size(); ++k) numbers[k] = dofs[k] + 1;
    lsde::CsvWriter csv(target.stream(), numbers, options.run.dt, options.run.every);
    status = simulateInto(csv, model, dofs, options);
  } else {
    lsde::ReportWriter report(target.stream(), options.run.every);
    status = simulateInto(report, model, dofs, options);
  }
  if (status != lsde::SimulationStatus::Completed) {
    lsde::finishOutput(target.stream());
    failWith(status, options);
  }
  target.commit();
  if (options.prompt) {
    std::puts("Press <enter> to quit:");
    lsde::finishOutput(stdout);
    std::getchar();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1)
    for (const lsde::app::Command& command : lsde::app::commands())
      if (command.name == argv[1])
        return command.run({argv + 2, static_cast<std::size_t>(argc - 2)});
  ProgramOptions options;
  if (const std::optional<int> status = lsde::app::parseCommandLine(argc, argv, options))
    return *status;
  return lsde::app::reportingFailures(lsde::app::modelName(options.model),
                                      [&options] { return run(options); });
}
