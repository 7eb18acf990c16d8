// Fuzz target: arbitrary bytes as a model file, read as a Matrix Market matrix, as a Matrix
// Market vector of kOrder values, as harmonic loads and as a load series for kOrder dofs, and as
// a ground record (.AT2 or CSV). The only defined outcomes are a value of the promised shape or
// a FileError that names the file, on a line the file has, in a message that fits on one line;
// anything else is a fault.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "input/cursor.hpp"
#include "loads/ground_record.hpp"
#include "loads/load_series.hpp"
#include "models/file_error.hpp"
#include "models/harmonic_loads.hpp"
#include "models/matrix_market.hpp"
#include "scratch_file.hpp"

namespace {

// Row starts of a few million rows at most: far inside libFuzzer's memory limit, and quick.
constexpr std::uint64_t kMemoryBudget = std::uint64_t{64} << 20;
constexpr int kOrder = 3;

[[noreturn]] void fault(const char* what) {
  std::fprintf(stderr, "models fuzz: %s\n", what);
  std::abort();
}

void checkError(const lsde::FileError& error, const std::string& path, long long lines) {
  const std::string_view message = error.what();
  if (message.empty()) fault("empty error message");
  for (const char c : message)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) fault("control byte in a message");
  if (error.line() < 0 || error.line() > lines + 1) fault("error on a line the file lacks");
  if (error.file() != path) fault("error names another file");
}

void checkMatrix(const lsde::CsrMatrix& a) {
  const auto start = a.rowStart();
  const auto columns = a.columns();
  if (a.rows() < 1 || a.rows() != a.cols() ||
      start.size() != static_cast<std::size_t>(a.rows()) + 1 || start.front() != 0 ||
      start.back() != a.nonZeros() || a.values().size() != a.nonZeros())
    fault("matrix has the wrong shape");
  for (int r = 0; r < a.rows(); ++r) {
    if (start[r] > start[r + 1]) fault("row starts decrease");
    for (std::size_t e = start[r]; e < start[r + 1]; ++e) {
      if (columns[e] < 0 || columns[e] >= a.cols()) fault("column outside the matrix");
      if (e > start[r] && columns[e] <= columns[e - 1]) fault("columns out of order");
    }
  }
}

bool allFinite(const std::vector<double>& values) {
  return std::all_of(values.begin(), values.end(), [](double x) { return std::isfinite(x); });
}

void checkSeries(const lsde::LoadSeries& s) {
  if (s.dofs.empty() || s.values.size() != s.times.size() * s.dofs.size())
    fault("series of the wrong shape");
  for (const int dof : s.dofs)
    if (dof < 0 || dof >= kOrder) fault("series dof outside the model");
  for (std::size_t r = 1; r < s.times.size(); ++r)
    if (!(s.times[r] > s.times[r - 1])) fault("series times do not increase");
  if (!allFinite(s.times) || !allFinite(s.values)) fault("series value not finite");
}

void checkRecord(const lsde::GroundRecord& r) {
  if (!(r.dt > 0) || !std::isfinite(r.dt) || r.samples.empty() || !allFinite(r.samples))
    fault("record of the wrong shape");
}

// Runs read; a FileError is checked, anything else thrown ends the run as a fault.
template <class Read>
void attempt(const std::string& path, long long lines, Read read) {
  try {
    read();
  } catch (const lsde::FileError& error) {
    checkError(error, path, lines);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static lsde::fuzz::ScratchFile file;
  file.write(data, size);
  const std::string& path = file.path();
  const long long lines =
      lsde::countLines(std::string_view(reinterpret_cast<const char*>(data), size));

  attempt(path, lines, [&] { checkMatrix(lsde::readMatrixMarketMatrix(path, kMemoryBudget)); });
  attempt(path, lines, [&] {
    if (lsde::readMatrixMarketVector(path, kOrder).size() != kOrder) fault("vector of wrong size");
  });
  attempt(path, lines, [&] {
    const std::vector<lsde::Driver> drives = lsde::readHarmonicLoads(path, kOrder, kMemoryBudget);
    if (drives.size() != kOrder) fault("drive table of wrong size");
    for (const lsde::Driver& d : drives) {
      const auto count = static_cast<std::size_t>(d.count);
      if (d.frequencies.size() != count || d.amplitudes.size() != count || d.phases.size() != count)
        fault("drive record count does not match its arrays");
    }
  });
  attempt(path, lines, [&] { checkSeries(lsde::readLoadSeries(path, kOrder, kMemoryBudget)); });
  attempt(path, lines, [&] { checkRecord(lsde::readGroundRecord(path, kMemoryBudget)); });
  return 0;
}
