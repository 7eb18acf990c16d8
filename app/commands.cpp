#include "app/commands.hpp"

#include "app/frf_command.hpp"
#include "app/modes_command.hpp"
#include "app/response_peaks_command.hpp"

namespace lsde::app {

std::span<const Command> commands() {
  static const Command table[] = {
      {"modes", runModes},
      {"frf", runFrf},
      {"spectrum", runSpectrum},
  };
  return table;
}

}  // namespace lsde::app
