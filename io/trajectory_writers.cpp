#include "io/trajectory_writers.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace lsde {
void requireReportInterval(int interval) {
  if (interval == 0) throw std::invalid_argument("report interval must not be 0");
}

namespace {

int checkedInterval(int every) {
  requireReportInterval(every);
  return every;
}

// 1, 2, …, n.
std::vector<int> firstCoordinates(int n) {
  std::vector<int> numbers(static_cast<std::size_t>(std::max(n, 0)));
  for (std::size_t k = 0; k < numbers.size(); ++k) numbers[k] = static_cast<int>(k) + 1;
  return numbers;
}

}  // namespace

ReportWriter::ReportWriter(std::FILE* stream, int every)
    : out_(stream), every_(checkedInterval(every)) {}

void ReportWriter::operator()(int step, std::span<const double> positions,
                              std::span<const double> velocities) {
  if (step % every_ != 0) return;
  out_.text("r= ");
  for (double x : positions) out_.fixed(x);
  out_.text("v= ");
  for (double v : velocities) out_.fixed(v);
  out_.put('\n');
}

CsvWriter::CsvWriter(std::FILE* stream, int n, double dt, int every)
    : CsvWriter(stream, firstCoordinates(n), dt, every) {}

CsvWriter::CsvWriter(std::FILE* stream, std::span<const int> coordinates, double dt, int every)
    : out_(stream), dt_(dt), every_(checkedInterval(every)) {
  out_.put('t');
  for (const char* name : {",x", ",v"})
    for (int k : coordinates) {
      out_.text(name);
      out_.text(std::to_string(k));
    }
  out_.put('\n');
}

void CsvWriter::operator()(int step, std::span<const double> positions,
                           std::span<const double> velocities) {
  if (step % every_ != 0) return;
  out_.shortest(static_cast<double>(step + 1) * dt_);
  for (double x : positions) {
    out_.put(',');
    out_.shortest(x);
  }
  for (double v : velocities) {
    out_.put(',');
    out_.shortest(v);
  }
  out_.put('\n');
}

}  // namespace lsde
