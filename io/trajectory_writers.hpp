#pragma once

#include <cstdio>
#include <span>

#include "io/output.hpp"

namespace lsde {

/// Throws std::invalid_argument for a report interval of 0; solvers check it before any work.
void requireReportInterval(int interval);

/// Observers that write a run's states as they come. Each takes (step, positions, velocities)
/// and writes when step % every == 0; finish() hands the rest to the stream and reports a
/// failed write with WriteError.

/// The trajectory report: "r= ", the positions, "v= ", the velocities, each value as "%lf ",
/// then "\n". Throws std::invalid_argument for an interval of 0.
class ReportWriter {
 public:
  ReportWriter(std::FILE* stream, int every);
  void operator()(int step, std::span<const double> positions, std::span<const double> velocities);
  void finish() { out_.flush(); }

 private:
  OutputBuffer out_;
  int every_;
};

/// Comma-separated values: the header "t,x1,…,xn,v1,…,vn", then for each reported step i the
/// time (i + 1)·dt and the state, each number in the shortest text that reads back as the same
/// double. Throws std::invalid_argument for an interval of 0.
class CsvWriter {
 public:
  CsvWriter(std::FILE* stream, int n, double dt, int every);
  /// The columns named after the given coordinates (1-based): "t,x5,x9,v5,v9" for {5, 9}.
  CsvWriter(std::FILE* stream, std::span<const int> coordinates, double dt, int every);
  void operator()(int step, std::span<const double> positions, std::span<const double> velocities);
  void finish() { out_.flush(); }

 private:
  OutputBuffer out_;
  double dt_;
  int every_;
};

}  // namespace lsde
