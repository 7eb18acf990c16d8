// lsde: simulates M·x'' + C·x' + K·x = F(t) from an input file and prints the trajectory.
#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

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

namespace {

using lsde::app::Format;
using lsde::app::ProgramOptions;

std::string displayName(const ProgramOptions& options) {
  return options.input == "-" ? "<stdin>" : options.input;
}

// Loads, parses and echoes the input file. The text buffer, as large as the file, is released
// on return, before the simulation needs its memory.
lsde::InputFile readInput(const ProgramOptions& options) {
  lsde::TextBuffer text =
      options.input == "-" ? lsde::loadText(stdin) : lsde::loadText(options.input);
  return lsde::readInputFile(text, lsde::physicalMemoryBytes(), options.echo);
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

// Integrates and writes the report or the CSV as the steps come. A singular M ends the
// "Error, Singular" line (printed in the report format only).
template <class Writer>
lsde::SimulationStatus simulateInto(Writer& writer, const lsde::InputFile& in,
                                    const ProgramOptions& options) {
  const bool messages = options.format == Format::Report;
  const lsde::ScopedOutput singularMessage(messages ? lsde::outputStream() : nullptr);
  const lsde::SimulationStatus status = lsde::simulate(
      in.m, in.c, in.k, in.n, in.positions, in.velocities, in.drives, options.run,
      [&writer](int step, std::span<const double> x, std::span<const double> v) {
        writer(step, x, v);
      },
      [&options](const lsde::StepInstability& unstable) {
        warnUnstableStep(options.run.dt, unstable);
      });
  if (status == lsde::SimulationStatus::SingularMass) lsde::printText("\n");
  if (status == lsde::SimulationStatus::Completed) writer.finish();
  return status;
}

// Why a run integrated nothing.
std::string failureMessage(lsde::SimulationStatus status) {
  if (status == lsde::SimulationStatus::SingularNewmarkMatrix)
    return "the Newmark matrix K + 2/dt·C + 4/dt²·M is singular; nothing to integrate";
  return "the mass matrix M is singular (|det M| < 1e-8); nothing to integrate";
}

int run(const ProgramOptions& options) {
  const lsde::ThreadScope threads(options.run.threads);  // the reading and the echo too
  lsde::app::OutputTarget target(options.output);
  const lsde::ScopedOutput output(target.stream());
  const lsde::InputFile in = readInput(options);
  lsde::SimulationStatus status;
  if (options.format == Format::Csv) {
    lsde::CsvWriter csv(target.stream(), in.n, options.run.dt, options.run.every);
    status = simulateInto(csv, in, options);
  } else {
    lsde::ReportWriter report(target.stream(), options.run.every);
    status = simulateInto(report, in, options);
  }
  if (status != lsde::SimulationStatus::Completed) {
    lsde::finishOutput(target.stream());
    throw lsde::InputError(0, failureMessage(status));
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
