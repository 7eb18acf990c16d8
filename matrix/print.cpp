#include "matrix/print.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "matrix/parallel.hpp"

namespace lsde {
namespace {

// Formatting a value costs about as much as this many multiply-adds.
constexpr std::size_t kFormatCost = 40;
constexpr int kBandRows = 8;

// Rows [first, last) of m as printMat writes them, appended to text.
void formatRows(const Matrix& m, int first, int last, int cols, std::string& text) {
  char value[kMaxFixedChars + 1];
  for (int r = first; r < last; ++r) {
    const double* row = m[r];
    for (int c = 0; c < cols; ++c) {
      char* end = formatFixed(row[c], value);
      *end++ = ' ';
      text.append(value, end);
    }
    text.push_back('\n');
  }
}

}  // namespace

void printFixed(double value) {
  OutputBuffer out;
  out.fixed(value);
  out.flush();
}

void printMat(const Matrix& m, int rows, int cols) {
  // A large matrix is formatted in bands of rows on the worker threads, a few bands per thread
  // at a time, and written in order: the same text for every thread count, in bounded memory.
  OutputBuffer out;
  const int bands = (std::max(rows, 0) + kBandRows - 1) / kBandRows;
  const int wave = 4 * std::min(threadCount(), kMaxThreads);
  std::vector<std::string> text(static_cast<std::size_t>(std::min(wave, bands)));
  for (int first = 0; first < bands; first += wave) {
    const int count = std::min(wave, bands - first);
    const std::size_t work = static_cast<std::size_t>(count) * kBandRows *
                             static_cast<std::size_t>(std::max(cols, 0)) * kFormatCost;
    forEachRange(count, work, 1, [&](int begin, int end) {
      for (int b = begin; b < end; ++b) {
        const int top = (first + b) * kBandRows;
        text[b].clear();
        formatRows(m, top, std::min(rows, top + kBandRows), cols, text[b]);
      }
    });
    for (int b = 0; b < count; ++b) out.text(text[b]);
  }
  out.flush();
}

void printArrayOfdoubles(std::span<const double> v, int n) {
  OutputBuffer out;
  for (int i = 0; i < n; ++i) out.fixed(v[i]);
  out.put('\n');
  out.flush();
}

}  // namespace lsde
