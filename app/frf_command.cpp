#include "app/frf_command.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "app/analysis_options.hpp"
#include "app/failures.hpp"
#include "app/option_values.hpp"
#include "app/output_file.hpp"
#include "input/input_error.hpp"
#include "io/output.hpp"
#include "matrix/parallel.hpp"
#include "modal/frequency_response.hpp"

namespace lsde::app {
namespace {

// The most frequencies a sweep takes: each is a complex solve and a row of output.
constexpr int kMaxFrequencies = 1'000'000;

struct FrfOptions {
  AnalysisOptions common;
  std::optional<Steps> sweep;  // unset: --steady
  bool logarithmic = false;
};

// FROM:TO:COUNT: two finite numbers ≥ 0 (> 0 for a log sweep) and a whole number ≥ 1.
Steps parseSweep(const std::string& text, bool logarithmic) {
  const std::optional<Steps> sweep = parseSteps(text, kMaxFrequencies);
  if (!sweep || sweep->from < 0.0 || sweep->to < 0.0 ||
      (logarithmic && (sweep->from == 0.0 || sweep->to == 0.0)))
    badValue("--omega",
             std::string("FROM:TO:COUNT, two finite numbers ") + (logarithmic ? "> 0" : "≥ 0") +
                 " and a whole number from 1 to " + std::to_string(kMaxFrequencies),
             text);
  return *sweep;
}

// arg X in (−π, π]: −π and −0 come from signed zeros and are the same angles as π and 0.
double phaseOf(std::complex<double> x) {
  const double phase = std::arg(x);
  return phase == -std::numbers::pi ? std::numbers::pi : phase + 0.0;
}

// The table: a header of the columns, then a row per frequency as the responses come. A report
// right-aligns every column in 14 characters.
class ResponseTable {
 public:
  ResponseTable(std::FILE* stream, std::span<const int> dofs, Format format)
      : out_(stream), csv_(format == Format::Csv) {
    column("omega");
    for (const int dof : dofs) {
      column("amp" + std::to_string(dof + 1));
      column("phase" + std::to_string(dof + 1));
    }
    endLine();
  }
  void row(double omega, std::span<const std::complex<double>> x) {
    number(omega);
    for (const std::complex<double> value : x) {
      number(std::abs(value));
      number(phaseOf(value));
    }
    endLine();
  }
  void flush() { out_.flush(); }

 private:
  void separate() {
    if (csv_ && !lineStart_) out_.put(',');
    lineStart_ = false;
  }
  void column(const std::string& name) {
    separate();
    csv_ ? out_.text(name) : appendFormatted(out_, "%14s", name.c_str());
  }
  void number(double value) {
    separate();
    csv_ ? out_.shortest(value) : appendFormatted(out_, "%14.6g", value);
  }
  void endLine() {
    out_.put('\n');
    lineStart_ = true;
  }

  OutputBuffer out_;
  bool csv_;
  bool lineStart_ = true;
};

int frf(const FrfOptions& options) {
  const ThreadScope threads(options.common.threads);
  OutputTarget target(options.common.output);
  const Model model = readModel(options.common.model, false);
  const std::vector<int> dofs = selectDofs(options.common.dofs, model.n);
  std::optional<ResponseTable> table;  // begun with the first row: a failure before prints nothing
  const auto row = [&](double omega, std::span<const std::complex<double>> x) {
    if (!table) table.emplace(target.stream(), dofs, options.common.format);
    table->row(omega, x);
  };
  if (options.sweep) {
    const std::vector<std::complex<double>> force = forcePattern(model.drives, model.n);
    if (std::all_of(force.begin(), force.end(), [](auto f) { return f == 0.0; }))
      throw InputError(0, "the model has no force: every drive amplitude is 0 or absent");
    const Steps& s = *options.sweep;
    const std::vector<double> omegas = frequencySweep(s.from, s.to, s.count, options.logarithmic);
    frequencyResponse(model, omegas, force, dofs,
                      [&](int k, std::span<const std::complex<double>> x) { row(omegas[k], x); });
  } else {
    const std::vector<Harmonic> harmonics = driveHarmonics(model.drives, model.n);
    if (harmonics.empty()) throw InputError(0, "the model has no drive: nothing to respond to");
    steadyState(model, harmonics, dofs, [&](int k, std::span<const std::complex<double>> x) {
      row(harmonics[k].omega, x);
    });
  }
  if (table) table->flush();
  target.commit();
  return 0;
}

}  // namespace

int runFrf(std::span<char*> args) {
  CLI::App cli(
      "The steady-state response X(Ω) = (K − Ω²·M + iΩ·C)⁻¹·F̂ of a model to its drive: "
      "amplitude |X| and phase arg X of each coordinate at each forcing frequency Ω.",
      "lsde frf");
  AnalysisTexts texts;
  std::string omega;
  bool logarithmic = false, steady = false;
  cli.add_option("--omega", omega,
                 "COUNT forcing frequencies from FROM to TO, both included; F̂ is every drive "
                 "component A·e^{iφ} taken at Ω")
      ->type_name("FROM:TO:COUNT");
  cli.add_flag("--log", logarithmic, "space the frequencies evenly in log Ω (FROM, TO > 0)");
  cli.add_flag("--steady", steady,
               "instead of --omega: the periodic steady state of the model's own drive, a row "
               "per distinct drive frequency");
  addAnalysisOptions(cli, texts, "the coordinates reported, 1-based, in this order (default: all)");
  addHarmonicOption(cli, texts.model);
  FrfOptions options;
  const std::optional<int> status = parseCommand(cli, "frf", args, [&] {
    options.common = analysisOptions(texts);
    options.logarithmic = logarithmic;
    if (steady && !omega.empty()) throw UsageError("--omega and --steady exclude each other");
    if (steady && logarithmic) throw UsageError("--log needs --omega");
    if (!steady && omega.empty()) throw UsageError("give --omega FROM:TO:COUNT or --steady");
    if (!steady) options.sweep = parseSweep(omega, logarithmic);
  });
  if (status) return *status;
  return reportingFailures(modelName(options.common.model), [&] { return frf(options); });
}

}  // namespace lsde::app
