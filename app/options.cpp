#include "app/options.hpp"

#include "app/commands.hpp"
#include "app/option_values.hpp"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <vector>

#ifndef LSDE_VERSION
#define LSDE_VERSION "unknown"
#endif

namespace lsde::app {
namespace {

// The run settings and formats from the option texts; defaults where an option was not given.
struct OptionTexts {
  std::string dt, steps, every, format, method, threads, dofs;
  ModelOptionTexts model;
  bool noEcho = false, noPrompt = false;
  std::vector<std::string> positionals;
};

void apply(const OptionTexts& texts, ProgramOptions& options) {
  if (!texts.dt.empty()) options.run.dt = positiveFinite("--dt", texts.dt);
  if (!texts.steps.empty()) options.run.steps = positiveInt("--steps", texts.steps);
  if (!texts.every.empty()) options.run.every = positiveInt("--every", texts.every);
  if (texts.method == "newmark") {
    options.run.method = Method::Newmark;
  } else if (!texts.method.empty() && texts.method != "two-rate") {
    badValue("--method", "two-rate or newmark", texts.method);
  }
  if (!texts.threads.empty()) options.run.threads = positiveInt("--threads", texts.threads);
  if (texts.format == "csv") {
    options.format = Format::Csv;
  } else if (!texts.format.empty() && texts.format != "report") {
    badValue("--format", "report or csv", texts.format);
  }
  if (!texts.dofs.empty()) {
    const auto ranges = parseDofList(texts.dofs);
    if (!ranges) badValue("--dofs", "numbers ≥ 1 and ranges A-B, comma-separated", texts.dofs);
    options.dofs = *ranges;
  }
  options.model.files = modelFiles(texts.model, !texts.positionals.empty());
  options.model.loads = loadFiles(texts.model);
  // Further positional arguments are ignored, as they always were.
  if (!texts.positionals.empty()) options.model.input = texts.positionals.front();
  options.echo = !texts.noEcho && options.format == Format::Report;
  options.prompt = !texts.noPrompt && options.format == Format::Report && !options.output;
}

// The option of cli that arg names ("--dt", "--dt=0.1", "-ofile"), or nullptr.
const CLI::Option* optionNamed(const CLI::App& cli, const std::string& arg) {
  if (arg.size() < 2 || arg[0] != '-') return nullptr;
  const std::string name = arg[1] == '-' ? arg.substr(0, arg.find('=')) : arg.substr(0, 2);
  return cli.get_option_no_throw(name);
}

// The arguments to parse, reversed as CLI11 takes them. Arguments after the input file that
// are not options of the program are dropped: they have always been ignored.
std::vector<std::string> argumentsToParse(const CLI::App& cli, int argc, char** argv) {
  std::vector<std::string> kept;
  bool afterInput = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const CLI::Option* option = optionNamed(cli, arg);
    const bool isOption = arg.size() > 1 && arg[0] == '-';
    if (afterInput && option == nullptr) continue;
    kept.push_back(arg);
    if (arg == "--") {
      if (i + 1 < argc) kept.push_back(argv[i + 1]);  // the input file, whatever its name
      break;
    }
    const bool valueFollows = option != nullptr && option->get_items_expected_min() > 0 &&
                              arg.find('=') == std::string::npos &&
                              (arg[1] == '-' || arg.size() == 2);
    if (valueFollows && i + 1 < argc) kept.push_back(argv[++i]);
    if (!isOption) afterInput = true;
  }
  return {kept.rbegin(), kept.rend()};
}

}  // namespace

std::optional<int> parseCommandLine(int argc, char** argv, ProgramOptions& options) {
  CLI::App cli("Simulates M·x'' + C·x' + K·x = F(t) from an input file and prints the trajectory.",
               "lsde");
  cli.set_version_flag("--version", "lsde " LSDE_VERSION);
  std::string names;
  for (const Command& command : commands())
    names += (names.empty() ? "lsde " : ", lsde ") + std::string(command.name);
  cli.footer("Commands: " + names + " (lsde COMMAND --help)");
  OptionTexts texts;
  std::string output;
  cli.add_option("--dt", texts.dt, "the time step, a finite number > 0 (default 0.01)")
      ->type_name("H");
  cli.add_option("--steps", texts.steps, "the number of steps, 1 … 2147483647 (default 1000)")
      ->type_name("N");
  cli.add_option("--every", texts.every, "report every K-th step, K ≥ 1 (default 10)")
      ->type_name("K");
  cli.add_option("--method", texts.method,
                 "two-rate (default: first order, stable for ω·dt < 1) or newmark (average "
                 "acceleration: second order, unconditionally stable)")
      ->type_name("METHOD");
  cli.add_option("--threads", texts.threads,
                 "threads for the products, N ≥ 1; the output is the same for every N (default: "
                 "the cores this process may use)")
      ->type_name("N");
  cli.add_option("--dofs", texts.dofs,
                 "report only these coordinates, 1-based, in this order: numbers and ranges, "
                 "e.g. 1,5,100-120 (default: all)")
      ->type_name("LIST");
  addModelFileOptions(cli, texts.model);
  addHarmonicOption(cli, texts.model);
  addStateAndLoadOptions(cli, texts.model);
  cli.add_flag("--no-echo", texts.noEcho, "do not echo n, M, C, K and the drive components");
  cli.add_flag("--no-prompt", texts.noPrompt, "do not ask for <enter> at the end");
  cli.add_option("--format", texts.format,
                 "report (default) or csv: t,x1,…,xn,v1,…,vn at full precision, no echo, no "
                 "prompt")
      ->type_name("FORMAT");
  cli.add_option("-o,--output", output,
                 "write what would go to standard output to FILE, whole or not at all; no prompt")
      ->type_name("FILE");
  cli.add_option("input", texts.positionals,
                 "the input file, - for standard input (default "
                 "input.csv); further arguments are ignored")
      ->type_name("INPUT");
  return parseArguments(cli, argumentsToParse(cli, argc, argv), "lsde", [&] {
    if (!output.empty()) options.output = output;
    apply(texts, options);
  });
}

}  // namespace lsde::app
