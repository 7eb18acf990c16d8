#include "app/response_peaks_command.hpp"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/failures.hpp"
#include "app/option_values.hpp"
#include "app/output_file.hpp"
#include "dynamics/response_peaks.hpp"
#include "io/output.hpp"
#include "loads/ground_record.hpp"
#include "matrix/parallel.hpp"

namespace lsde::app {
namespace {

constexpr int kMaxPeriods = 1'000'000;

struct SpectrumOptions {
  std::string record;
  std::vector<double> periods = logSpacedPeriods(0.01, 10, 100);
  double damping = 0.05, scale = 1.0;
  bool csv = false;
  std::optional<std::string> output;
  int threads = 0;
};

// The whole text as a number, or nothing.
std::optional<double> number(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') return std::nullopt;
  return value;
}

// A comma-separated list of periods, or FROM:TO:COUNT log-spaced.
std::vector<double> parsePeriods(const std::string& text) {
  const std::string expected =
      "periods > 0, comma-separated, or FROM:TO:COUNT with 0 < FROM < TO and COUNT from 2 to " +
      std::to_string(kMaxPeriods);
  if (text.find(':') != std::string::npos) {
    const std::optional<Steps> steps = parseSteps(text, kMaxPeriods);
    if (!steps || !(steps->from > 0 && steps->from < steps->to) || steps->count < 2)
      badValue("--periods", expected, text);
    return logSpacedPeriods(steps->from, steps->to, steps->count);
  }
  std::vector<double> values;
  for (std::size_t begin = 0;;) {
    const std::size_t end = text.find(',', begin);
    const std::optional<double> value = number(text.substr(begin, end - begin));
    if (!value || !(*value > 0) || !std::isfinite(*value)) badValue("--periods", expected, text);
    values.push_back(*value);
    if (end == std::string::npos) return values;
    begin = end + 1;
  }
}

// The options, or the exit status when the command should stop now.
std::optional<int> parse(std::span<char*> args, SpectrumOptions& options) {
  CLI::App cli(
      "The response spectrum of a ground acceleration record: for each period T, the peak "
      "displacement Sd of a damped oscillator under the record, PSv = ω·Sd and PSa = ω²·Sd.",
      "lsde spectrum");
  std::string damping, periods, scale, format, output, threads;
  cli.add_option("RECORD", options.record, "a PEER NGA .AT2 file or a CSV t,a")
      ->type_name("FILE")
      ->required();
  cli.add_option("--damping", damping, "the damping ratio Z, 0 ≤ Z < 1 (default 0.05)")
      ->type_name("Z");
  cli.add_option("--periods", periods,
                 "the periods in s: a list, or FROM:TO:COUNT log-spaced with both ends (default "
                 "0.01:10:100)")
      ->type_name("LIST|FROM:TO:COUNT");
  cli.add_option("--scale", scale, "multiplies the record, e.g. 9.81 for a record in g (default 1)")
      ->type_name("S");
  cli.add_option("--format", format, "report (default: a table) or csv: period,Sd,PSv,PSa")
      ->type_name("FORMAT");
  cli.add_option("-o,--output", output, "write to FILE, whole or not at all")->type_name("FILE");
  cli.add_option("--threads", threads,
                 "threads for the periods, N ≥ 1; the output is the same for every N (default: "
                 "the cores this process may use)")
      ->type_name("N");
  return parseCommand(cli, "spectrum", args, [&] {
    if (!damping.empty()) {
      const std::optional<double> z = number(damping);
      if (!z || !(*z >= 0 && *z < 1))
        badValue("--damping", "a number from 0 up to 1, 1 excluded", damping);
      options.damping = *z;
    }
    if (!periods.empty()) options.periods = parsePeriods(periods);
    if (!scale.empty()) {
      const std::optional<double> s = number(scale);
      if (!s || !std::isfinite(*s)) badValue("--scale", "a finite number", scale);
      options.scale = *s;
    }
    if (format == "csv") {
      options.csv = true;
    } else if (!format.empty() && format != "report") {
      badValue("--format", "report or csv", format);
    }
    if (!output.empty()) options.output = output;
    if (!threads.empty()) options.threads = positiveInt("--threads", threads);
  });
}

void writeCsv(const std::vector<SpectrumPoint>& points, OutputBuffer& out) {
  out.text("period,Sd,PSv,PSa\n");
  for (const SpectrumPoint& p : points) {
    for (const double value : {p.period, p.sd, p.psv}) {
      out.shortest(value);
      out.put(',');
    }
    out.shortest(p.psa);
    out.put('\n');
  }
}

void writeReport(const SpectrumOptions& options, const GroundRecord& record,
                 const std::vector<SpectrumPoint>& points, OutputBuffer& out) {
  char line[160];
  // The record's name may be long: it is not cut to the line.
  std::snprintf(line, sizeof line, ": %zu samples at dt = %g, scale %g, damping %g\n",
                record.samples.size(), record.dt, options.scale, options.damping);
  out.text("Response spectrum of " + options.record + line);
  out.text("      period           Sd          PSv          PSa\n");
  for (const SpectrumPoint& p : points) {
    std::snprintf(line, sizeof line, "%12.6g %12.6g %12.6g %12.6g\n", p.period, p.sd, p.psv, p.psa);
    out.text(line);
  }
}

}  // namespace

int runSpectrum(std::span<char*> args) {
  SpectrumOptions options;
  if (const std::optional<int> status = parse(args, options)) return *status;
  return reportingFailures(options.record, [&options] {
    const ThreadScope threads(options.threads);
    OutputTarget target(options.output);
    const GroundRecord record = readGroundRecord(options.record);
    const std::vector<SpectrumPoint> points =
        responseSpectrum(record, options.periods, options.damping, options.scale);
    {
      OutputBuffer out(target.stream());
      if (options.csv) {
        writeCsv(points, out);
      } else {
        writeReport(options, record, points, out);
      }
      out.flush();
    }
    target.commit();
    return 0;
  });
}

}  // namespace lsde::app
