#include "app/model_options.hpp"

#include <CLI/CLI.hpp>

#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "app/option_values.hpp"
#include "input/bounds.hpp"
#include "input/cursor.hpp"
#include "input/input_error.hpp"
#include "input/input_file.hpp"
#include "input/rows.hpp"
#include "loads/ground_record.hpp"
#include "loads/load_series.hpp"
#include "models/matrix_market.hpp"

namespace lsde::app {
namespace {

std::optional<std::string> given(const std::string& text) {
  return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

// "A,B": two finite numbers.
std::array<double, 2> rayleighCoefficients(const std::string& text) {
  std::array<double, 2> ab{};
  const std::size_t comma = text.find(',');
  for (int k = 0; k < 2; ++k) {
    const std::string part =
        k == 0 ? text.substr(0, comma) : (comma == std::string::npos ? "" : text.substr(comma + 1));
    char* end = nullptr;
    ab[k] = std::strtod(part.c_str(), &end);
    if (part.empty() || *end != '\0' || !std::isfinite(ab[k]))
      badValue("--rayleigh", "two finite numbers A,B", text);
  }
  return ab;
}

// Reads the load files for a model of n coordinates into its series and ground.
void readLoads(const LoadFiles& files, int n, Model& model) {
  for (const std::string& path : files.series) model.series.push_back(readLoadSeries(path, n));
  if (!files.ground) return;
  std::vector<double> direction = files.direction
                                      ? readMatrixMarketVector(*files.direction, n)
                                      : std::vector<double>(static_cast<std::size_t>(n), 1.0);
  model.ground =
      GroundMotion{readGroundRecord(*files.ground), files.groundScale, std::move(direction)};
}

// The size an input file's first line gives, when the file could hold a system of that size;
// otherwise nothing, and the input's reader says what is wrong.
std::optional<int> sizeOf(const TextBuffer& text) {
  TextBuffer first = text.substr(0, text.find('\n'));
  if (first.empty()) return std::nullopt;
  Cursor cursor(first);
  try {
    const int n = readSize(cursor);
    requireFileHolds(n, countLines(text), text.size());
    return n;
  } catch (const InputError&) {
    return std::nullopt;
  }
}

}  // namespace

void addModelFileOptions(CLI::App& cli, ModelOptionTexts& texts) {
  cli.add_option("--mass", texts.mass,
                 "the model from Matrix Market files instead of INPUT: M (needs --stiffness)")
      ->type_name("M.mtx");
  cli.add_option("--stiffness", texts.stiffness, "K, a Matrix Market file")->type_name("K.mtx");
  cli.add_option("--damping", texts.damping, "C, a Matrix Market file (default: no damping)")
      ->type_name("C.mtx");
  cli.add_option("--rayleigh", texts.rayleigh, "C = A·M + B·K instead of --damping")
      ->type_name("A,B");
}

void addHarmonicOption(CLI::App& cli, ModelOptionTexts& texts) {
  cli.add_option("--harmonic", texts.harmonic,
                 "the force: a CSV dof,amplitude,omega,phase, one cosine a line (default: none)")
      ->type_name("LOADS.csv");
}

void addStateAndLoadOptions(CLI::App& cli, ModelOptionTexts& texts) {
  cli.add_option("--x0", texts.x0, "initial positions, a Matrix Market n × 1 vector (default 0)")
      ->type_name("X0.mtx");
  cli.add_option("--v0", texts.v0, "initial velocities, likewise (default 0)")->type_name("V0.mtx");
  cli.add_option("--load-series", texts.loadSeries,
                 "a force tabulated in time: a CSV t,DOF,… (1-based dofs), linear between rows, 0 "
                 "outside; may be repeated")
      ->type_name("SERIES.csv")
      ->allow_extra_args(false);
  cli.add_option("--ground-accel", texts.groundAccel,
                 "the ground shakes with this record, a PEER .AT2 file or a CSV t,a; the state "
                 "is then relative to the ground")
      ->type_name("RECORD");
  cli.add_option("--ground-scale", texts.groundScale,
                 "multiplies the record, e.g. 9.81 for a record in g (default 1)")
      ->type_name("S");
  cli.add_option("--ground-direction", texts.groundDirection,
                 "the influence vector ι, a Matrix Market n × 1 vector, or all: every "
                 "coordinate moves with the ground (default)")
      ->type_name("FILE|all");
}

LoadFiles loadFiles(const ModelOptionTexts& texts) {
  LoadFiles files;
  files.series = texts.loadSeries;
  for (const std::string& path : files.series)
    if (path.empty()) badValue("--load-series", "a file", path);
  if (texts.groundAccel.empty()) {
    if (!texts.groundScale.empty()) throw UsageError("--ground-scale needs --ground-accel");
    if (!texts.groundDirection.empty()) throw UsageError("--ground-direction needs --ground-accel");
    return files;
  }
  files.ground = texts.groundAccel;
  if (!texts.groundScale.empty()) {
    char* end = nullptr;
    files.groundScale = std::strtod(texts.groundScale.c_str(), &end);
    if (*end != '\0' || !std::isfinite(files.groundScale))
      badValue("--ground-scale", "a finite number", texts.groundScale);
  }
  if (!texts.groundDirection.empty() && texts.groundDirection != "all")
    files.direction = texts.groundDirection;
  return files;
}

std::optional<ModelFiles> modelFiles(const ModelOptionTexts& texts, bool inputGiven) {
  if (texts.mass.empty()) {
    for (const auto& [text, name] : {std::pair{&texts.stiffness, "--stiffness"},
                                     {&texts.damping, "--damping"},
                                     {&texts.rayleigh, "--rayleigh"},
                                     {&texts.x0, "--x0"},
                                     {&texts.v0, "--v0"},
                                     {&texts.harmonic, "--harmonic"}})
      if (!text->empty())
        throw UsageError(std::string(name) + " needs --mass (a model from files)");
    return std::nullopt;
  }
  if (inputGiven) throw UsageError("an input file and --mass exclude each other: give one model");
  if (texts.stiffness.empty()) throw UsageError("--mass needs --stiffness");
  if (!texts.damping.empty() && !texts.rayleigh.empty())
    throw UsageError("--damping and --rayleigh exclude each other: give one damping");
  ModelFiles files{texts.mass,      texts.stiffness, given(texts.damping), std::nullopt,
                   given(texts.x0), given(texts.v0), given(texts.harmonic)};
  if (!texts.rayleigh.empty()) files.rayleigh = rayleighCoefficients(texts.rayleigh);
  return files;
}

Model readModel(const ModelSource& source, bool echo, const std::vector<DofRange>& dofs) {
  if (source.files) {
    Model model = readModelFiles(*source.files, physicalMemoryBytes());
    checkDofs(dofs, model.n);
    readLoads(source.loads, model.n, model);
    return model;
  }
  TextBuffer text = source.input == "-" ? loadText(stdin) : loadText(source.input);
  Model loads;
  const std::optional<int> n = sizeOf(text);
  if (n) {
    checkDofs(dofs, *n);
    readLoads(source.loads, *n, loads);
  }
  Model model = toModel(readInputFile(text, physicalMemoryBytes(), echo));
  model.series = std::move(loads.series);
  model.ground = std::move(loads.ground);
  return model;
}

std::string modelName(const ModelSource& source) {
  if (source.files) return lsde::modelName(*source.files);
  return source.input == "-" ? "<stdin>" : source.input;
}

}  // namespace lsde::app
