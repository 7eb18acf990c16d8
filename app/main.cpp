// lsde: simulates M·x'' + C·x' + K·x = F(t) from an input file and prints the trajectory.
#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <variant>
#include <vector>

#include "app/options.hpp"
#include "app/output_file.hpp"
#include "dynamics/simulate.hpp"
#include "input/bounds.hpp"
#include "input/cursor.hpp"
#include "input/input_error.hpp"
#include "input/input_file.hpp"
#include "io/output.hpp"
#include "io/trajectory_writers.hpp"
#include "matrix/parallel.hpp"
#include "models/file_error.hpp"
#include "models/model_files.hpp"

namespace {

using lsde::app::Format;
using lsde::app::ProgramOptions;

std::string displayName(const ProgramOptions& options) {
  if (options.model) return lsde::modelName(*options.model);
  return options.input == "-" ? "<stdin>" : options.input;
}

// The model from its files, or from the input file, which is parsed and echoed. The text
// buffer, as large as the file, is released on return, before the simulation needs its memory.
lsde::Model readModel(const ProgramOptions& options) {
  if (options.model) return lsde::readModelFiles(*options.model, lsde::physicalMemoryBytes());
  lsde::TextBuffer text =
      options.input == "-" ? lsde::loadText(stdin) : lsde::loadText(options.input);
  return lsde::toModel(lsde::readInputFile(text, lsde::physicalMemoryBytes(), options.echo));
}

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
  if (options.model)
    throw lsde::FileError(options.model->mass, 0,
                          "the mass matrix M is singular; nothing to integrate");
  throw lsde::InputError(0, "the mass matrix M is singular (|det M| < 1e-8); nothing to integrate");
}

int run(const ProgramOptions& options) {
  const lsde::ThreadScope threads(options.run.threads);  // the reading and the echo too
  lsde::app::OutputTarget target(options.output);
  const lsde::ScopedOutput output(target.stream());
  const lsde::Model model = readModel(options);
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

int fail(const std::string& where, int line, const std::string& message) {
  std::fflush(stdout);
  if (where.empty())
    std::fprintf(stderr, "lsde: %s\n", message.c_str());
  else if (line > 0)
    std::fprintf(stderr, "lsde: %s:%d: %s\n", where.c_str(), line, message.c_str());
  else
    std::fprintf(stderr, "lsde: %s: %s\n", where.c_str(), message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  ProgramOptions options;
  if (const std::optional<int> status = lsde::app::parseCommandLine(argc, argv, options))
    return *status;
  const std::string name = displayName(options);
  try {
    return run(options);
  } catch (const lsde::FileError& e) {
    return fail(e.file(), e.line(), e.what());
  } catch (const lsde::InputError& e) {
    return fail(name, e.line(), e.what());
  } catch (const lsde::WriteError& e) {
    return fail("", 0, e.what());
  } catch (const lsde::app::OutputFileError& e) {
    return fail("", 0, e.what());  // names the output file, not the input
  } catch (const std::bad_alloc&) {
    return fail(name, 0, "out of memory for a system of this size");
  } catch (const std::exception& e) {
    return fail(name, 0, e.what());
  }
}
