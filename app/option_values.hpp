#pragma once

#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace lsde::app {

/// A usage error: what() is the whole line after "lsde: "; the program exits with status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void badValue(const std::string& option, const std::string& expected,
                           const std::string& found);

/// The option's value as a finite number > 0, else a UsageError.
double positiveFinite(const std::string& option, const std::string& text);
/// The option's value as a whole number from 1 to 2147483647, else a UsageError.
int positiveInt(const std::string& option, const std::string& text);

/// FROM:TO:COUNT, a range of COUNT values.
struct Steps {
  double from = 0.0, to = 0.0;
  int count = 1;
};

/// FROM:TO:COUNT with FROM and TO finite numbers and COUNT a whole number from 1 to most;
/// nothing when the text is not that. Each option checks its own bounds on FROM and TO.
std::optional<Steps> parseSteps(const std::string& text, int most);

/// An option given an empty value ("--dt=", --method "") is a mistake, not a request for the
/// default: a UsageError.
void requireValues(const CLI::App& cli);

/// Parses arguments (in CLI11's order, the last first) with cli, refuses empty values, then
/// calls check (which turns the texts into options and throws UsageError). Returns an exit
/// status when the program should stop now: 0 after --help or --version, 2 after a usage error
/// ("lsde: …" and a pointer to `program --help` on standard error).
std::optional<int> parseArguments(CLI::App& cli, std::vector<std::string> arguments,
                                  const std::string& program, const std::function<void()>& check);

/// parseArguments for the arguments of `lsde COMMAND ARGS…` with cli, the help of `lsde COMMAND`.
std::optional<int> parseCommand(CLI::App& cli, const std::string& command, std::span<char*> args,
                                const std::function<void()>& check);

}  // namespace lsde::app
