#include "app/commands.hpp"

#include "app/spectrum_command.hpp"

namespace lsde::app {

std::span<const Command> commands() {
  static const Command table[] = {
      {"spectrum", runSpectrum},
  };
  return table;
}

}  // namespace lsde::app
