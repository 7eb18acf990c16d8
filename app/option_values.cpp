#include "app/option_values.hpp"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace lsde::app {

namespace {

std::optional<double> finiteNumber(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> wholeNumber(const std::string& text, int most) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > most)
    return std::nullopt;
  return value;
}

}  // namespace

void badValue(const std::string& option, const std::string& expected, const std::string& found) {
  throw UsageError(option + ": expected " + expected + ", found \"" + found + "\"");
}

double positiveFinite(const std::string& option, const std::string& text) {
  const std::optional<double> value = finiteNumber(text);
  if (!value || !(*value > 0.0)) badValue(option, "a finite number > 0", text);
  return *value;
}

int positiveInt(const std::string& option, const std::string& text) {
  const std::optional<int> value = wholeNumber(text, std::numeric_limits<int>::max());
  if (!value) badValue(option, "a whole number from 1 to 2147483647", text);
  return *value;
}

std::optional<Steps> parseSteps(const std::string& text, int most) {
  const std::size_t first = text.find(':'), second = text.find(':', first + 1);
  if (second == std::string::npos || text.find(':', second + 1) != std::string::npos)
    return std::nullopt;
  const std::optional<double> from = finiteNumber(text.substr(0, first)),
                              to = finiteNumber(text.substr(first + 1, second - first - 1));
  const std::optional<int> count = wholeNumber(text.substr(second + 1), most);
  if (!from || !to || !count) return std::nullopt;
  return Steps{*from, *to, *count};
}

void requireValues(const CLI::App& cli) {
  for (const CLI::Option* option : cli.get_options()) {
    if (option->nonpositional() && option->get_items_expected_min() > 0 && option->count() > 0 &&
        option->as<std::string>().empty())
      throw UsageError(option->get_name() + ": expected a value, found \"\"");
  }
}

namespace {

// "lsde: message" and a pointer to the help of `program` on standard error; returns 2.
int usageOf(const std::string& program, const std::string& message) {
  std::fprintf(stderr, "lsde: %s\nRun '%s --help' for usage.\n", message.c_str(), program.c_str());
  return 2;
}

}  // namespace

std::optional<int> parseArguments(CLI::App& cli, std::vector<std::string> arguments,
                                  const std::string& program, const std::function<void()>& check) {
  try {
    cli.parse(arguments);
    requireValues(cli);
    check();
  } catch (const CLI::Success& e) {
    return cli.exit(e);
  } catch (const CLI::ParseError& e) {
    return usageOf(program, e.what());
  } catch (const UsageError& e) {
    return usageOf(program, e.what());
  }
  return std::nullopt;
}

std::optional<int> parseCommand(CLI::App& cli, const std::string& command, std::span<char*> args,
                                const std::function<void()>& check) {
  // CLI11 takes the arguments last first.
  return parseArguments(cli, std::vector<std::string>(args.rbegin(), args.rend()),
                        "lsde " + command, check);
}

}  // namespace lsde::app
