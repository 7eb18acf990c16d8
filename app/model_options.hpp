#pragma once

#include <optional>
#include <string>

#include "dynamics/model.hpp"
#include "models/model_files.hpp"

namespace CLI {
class App;
}

namespace lsde::app {

/// The texts of the options that give a model as files.
struct ModelOptionTexts {
  std::string mass, stiffness, damping, rayleigh, x0, v0, harmonic;
};

/// Adds --mass, --stiffness, --damping, --rayleigh, --x0, --v0 and --harmonic to cli.
void addModelOptions(CLI::App& cli, ModelOptionTexts& texts);

/// The model files, or nothing when the model comes from an input file (inputGiven tells
/// whether one was named). Throws UsageError for options that exclude each other or need
/// --mass.
std::optional<ModelFiles> modelFiles(const ModelOptionTexts& texts, bool inputGiven);

/// Where a command's model comes from: files, or an input file ("-" for standard input).
struct ModelSource {
  std::optional<ModelFiles> files;
  std::string input = "input.csv";
};

/// The model from its files, or from the input file, parsed and echoed when echo is true. The
/// text buffer, as large as the file, is released on return, before the model's users need
/// memory. Throws InputError or FileError for anything malformed.
Model readModel(const ModelSource& source, bool echo);

/// The model's name in messages: its files, the input file, or <stdin>.
std::string modelName(const ModelSource& source);

}  // namespace lsde::app
