#pragma once

#include <span>

namespace lsde::app {

/// lsde modes [MODEL] [--count N] [--direction FILE|all] [--shapes FILE] [--dofs LIST]
/// [--format report|csv] [-o FILE] [--threads N]: the lowest natural modes of a model.
int runModes(std::span<char*> args);

}  // namespace lsde::app
