#pragma once

#include <span>

namespace lsde::app {

/// lsde frf [MODEL] (--omega FROM:TO:COUNT [--log] | --steady) [--dofs LIST]
/// [--format report|csv] [-o FILE] [--threads N]: the steady-state response to harmonic force.
int runFrf(std::span<char*> args);

}  // namespace lsde::app
