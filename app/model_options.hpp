#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/dof_list.hpp"
#include "dynamics/model.hpp"
#include "models/model_files.hpp"

namespace CLI {
class App;
}

namespace lsde::app {

/// The texts of the options that give a model as files, and of the recorded loads on any model.
struct ModelOptionTexts {
  std::string mass, stiffness, damping, rayleigh, x0, v0, harmonic;
  std::vector<std::string> loadSeries;
  std::string groundAccel, groundScale, groundDirection;
};

/// Adds --mass, --stiffness, --damping and --rayleigh to cli: the model's matrices as files.
void addModelFileOptions(CLI::App& cli, ModelOptionTexts& texts);

/// Adds --harmonic, the drive of a model from files.
void addHarmonicOption(CLI::App& cli, ModelOptionTexts& texts);

/// Adds what only a run integrates: --x0 and --v0, and the recorded loads --load-series,
/// --ground-accel, --ground-scale and --ground-direction.
void addStateAndLoadOptions(CLI::App& cli, ModelOptionTexts& texts);

/// Recorded loads, added to a model from any source.
struct LoadFiles {
  std::vector<std::string> series;    // CSV t,DOF,…
  std::optional<std::string> ground;  // a .AT2 record or a CSV t,a
  double groundScale = 1.0;
  std::optional<std::string> direction;  // ι as a Matrix Market n × 1 vector; unset: all ones
};

/// The load files. Throws UsageError for a scale that is not a finite number, and for
/// --ground-scale or --ground-direction without --ground-accel.
LoadFiles loadFiles(const ModelOptionTexts& texts);

/// The model files, or nothing when the model comes from an input file (inputGiven tells
/// whether one was named). Throws UsageError for options that exclude each other or need
/// --mass.
std::optional<ModelFiles> modelFiles(const ModelOptionTexts& texts, bool inputGiven);

/// Where a command's model comes from: files, or an input file ("-" for standard input); and
/// the recorded loads added to it.
struct ModelSource {
  std::optional<ModelFiles> files;
  std::string input = "input.csv";
  LoadFiles loads;
};

/// The model from its files, or from the input file, parsed and echoed when echo is true, with
/// its recorded loads. The coordinates dofs are checked against the model's size (checkDofs)
/// and the load files read before the echo, so that a bad one leaves standard output empty.
/// The text buffer, as large as the file, is released on return, before the model's users need
/// memory. Throws InputError or FileError for anything malformed.
Model readModel(const ModelSource& source, bool echo, const std::vector<DofRange>& dofs = {});

/// The model's name in messages: its files, the input file, or <stdin>.
std::string modelName(const ModelSource& source);

}  // namespace lsde::app
