#pragma once

#include <span>
#include <string_view>

namespace lsde::app {

/// A command beside the run: `lsde NAME ARGS…`. run gets the arguments after NAME and returns
/// the exit status (2 for a usage error, as the run does).
struct Command {
  std::string_view name;
  int (*run)(std::span<char*> args);
};

/// The commands, by name. A first argument that names none of them starts the run: an input
/// file named like a command is given as ./NAME.
std::span<const Command> commands();

}  // namespace lsde::app
