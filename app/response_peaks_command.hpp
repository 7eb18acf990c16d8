#pragma once

#include <span>

namespace lsde::app {

/// `lsde spectrum RECORD [--damping Z] [--periods LIST|FROM:TO:COUNT] [--scale S]
/// [--format report|csv] [-o FILE] [--threads N]`: the response spectrum of a ground
/// acceleration record. args are the arguments after "spectrum". Returns 0, 1 for a bad record
/// or output that could not be written, 2 for a usage error.
int runSpectrum(std::span<char*> args);

}  // namespace lsde::app
