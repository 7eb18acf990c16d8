#include "app/model_options.hpp"

#include <CLI/CLI.hpp>

#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "app/option_values.hpp"
#include "input/bounds.hpp"
#include "input/cursor.hpp"
#include "input/input_file.hpp"

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

}  // namespace

void addModelOptions(CLI::App& cli, ModelOptionTexts& texts) {
  cli.add_option("--mass", texts.mass,
                 "the model from Matrix Market files instead of INPUT: M (needs --stiffness)")
      ->type_name("M.mtx");
  cli.add_option("--stiffness", texts.stiffness, "K, a Matrix Market file")->type_name("K.mtx");
  cli.add_option("--damping", texts.damping, "C, a Matrix Market file (default: no damping)")
      ->type_name("C.mtx");
  cli.add_option("--rayleigh", texts.rayleigh, "C = A·M + B·K instead of --damping")
      ->type_name("A,B");
  cli.add_option("--x0", texts.x0, "initial positions, a Matrix Market n × 1 vector (default 0)")
      ->type_name("X0.mtx");
  cli.add_option("--v0", texts.v0, "initial velocities, likewise (default 0)")->type_name("V0.mtx");
  cli.add_option("--harmonic", texts.harmonic,
                 "the force: a CSV dof,amplitude,omega,phase, one cosine a line (default: none)")
      ->type_name("LOADS.csv");
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

Model readModel(const ModelSource& source, bool echo) {
  if (source.files) return readModelFiles(*source.files, physicalMemoryBytes());
  TextBuffer text = source.input == "-" ? loadText(stdin) : loadText(source.input);
  return toModel(readInputFile(text, physicalMemoryBytes(), echo));
}

std::string modelName(const ModelSource& source) {
  if (source.files) return lsde::modelName(*source.files);
  return source.input == "-" ? "<stdin>" : source.input;
}

}  // namespace lsde::app
