// Fuzz target: arbitrary bytes as an input file, through everything a run does with it. The
// only defined outcomes are a parsed system (simulated for a few steps when small) or an
// InputError whose message fits on one line; anything else is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "dynamics/driven.hpp"
#include "input/cursor.hpp"
#include "input/input_error.hpp"
#include "input/input_file.hpp"
#include "scratch_file.hpp"

namespace {

// Keeps the fuzzer far inside libFuzzer's own memory limit whatever -max_len allows.
constexpr std::uint64_t kMemoryBudget = std::uint64_t{256} << 20;
// Larger systems are parsed but not simulated: the exact inverse grows fast with the order.
constexpr int kMaxSimulatedOrder = 8;
constexpr int kSteps = 5;

[[noreturn]] void fault(const char* what) {
  std::fprintf(stderr, "input fuzz: %s\n", what);
  std::abort();
}

void checkMessage(const lsde::InputError& error, long long lines) {
  const std::string_view message = error.what();
  if (message.empty()) fault("empty error message");
  for (const char c : message)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) fault("control byte in a message");
  if (error.line() < 0 || error.line() > lines + 1) fault("error on a line the file lacks");
}

void checkParsed(const lsde::InputFile& in) {
  const auto n = static_cast<std::size_t>(in.n);
  const auto square = [&](const lsde::Matrix& m) { return m.rows() == in.n && m.cols() == in.n; };
  if (in.n < 1 || !square(in.m) || !square(in.c) || !square(in.k) || in.drives.size() != n ||
      in.positions.size() != n || in.velocities.size() != n) {
    fault("parsed system has the wrong shape");
  }
  for (const lsde::Driver& d : in.drives) {
    const auto count = static_cast<std::size_t>(d.count);
    if (d.frequencies.size() != count || d.amplitudes.size() != count || d.phases.size() != count)
      fault("drive record count does not match its arrays");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The echo and the report would be megabytes per second of fuzzing.
  static const bool silenced = std::freopen("/dev/null", "w", stdout) != nullptr;
  static lsde::fuzz::ScratchFile file;
  if (!silenced) fault("cannot silence standard output");
  file.write(data, size);

  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const long long lines = lsde::countLines(bytes);
  try {
    lsde::TextBuffer text = lsde::loadText(file.path());
    if (text != bytes) fault("loading changed the bytes");
    const lsde::InputFile in = lsde::readInputFile(text, kMemoryBudget);
    checkParsed(in);
    if (in.n <= kMaxSimulatedOrder) {
      lsde::printDrivenLSDE(in.m, in.c, in.k, in.n, in.positions, in.velocities, 0.01, kSteps,
                            in.drives, 1);
    }
  } catch (const lsde::InputError& error) {
    checkMessage(error, lines);
  }
  return 0;
}
