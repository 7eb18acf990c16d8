#include "app/analysis_options.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "app/option_values.hpp"

namespace lsde::app {

void addAnalysisOptions(CLI::App& cli, AnalysisTexts& texts, const std::string& dofsHelp) {
  cli.add_option("model", texts.input,
                 "the input file, - for standard input (default input.csv), or none with --mass")
      ->type_name("INPUT");
  addModelFileOptions(cli, texts.model);
  cli.add_option("--dofs", texts.dofs, dofsHelp)->type_name("LIST");
  cli.add_option("--format", texts.format,
                 "report (default): a readable table; csv: the same columns at full precision")
      ->type_name("FORMAT");
  cli.add_option("-o,--output", texts.output,
                 "write the results to FILE instead of standard output, whole or not at all")
      ->type_name("FILE");
  cli.add_option("--threads", texts.threads,
                 "threads, N ≥ 1; the output is the same for every N (default: every core)")
      ->type_name("N");
}

AnalysisOptions analysisOptions(const AnalysisTexts& texts) {
  AnalysisOptions options;
  options.model.files = modelFiles(texts.model, !texts.input.empty());
  if (!texts.input.empty()) options.model.input = texts.input;
  if (!texts.dofs.empty()) {
    const auto ranges = parseDofList(texts.dofs);
    if (!ranges) badValue("--dofs", "numbers ≥ 1 and ranges A-B, comma-separated", texts.dofs);
    options.dofs = *ranges;
  }
  if (texts.format == "csv") {
    options.format = Format::Csv;
  } else if (!texts.format.empty() && texts.format != "report") {
    badValue("--format", "report or csv", texts.format);
  }
  if (!texts.output.empty()) options.output = texts.output;
  if (!texts.threads.empty()) options.threads = positiveInt("--threads", texts.threads);
  return options;
}

void appendFormatted(OutputBuffer& out, const char* format, ...) {
  char text[256];
  std::va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (length > 0) out.text({text, std::min(static_cast<std::size_t>(length), sizeof text - 1)});
}

}  // namespace lsde::app
