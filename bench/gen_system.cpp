// gen_system FAMILY N [SEED] [OUTPUT]: writes an lsde input file for a system of size N.
//   chain: masses in [1, 2] on a line, n + 1 springs in [1, 10] with walls at both ends
//          (tridiagonal K), C = 0.02·M + 0.002·K; coordinate 0 driven by two components.
//   dense: full symmetric M, C and K, diagonally dominant (Gershgorin puts the eigenvalues of M
//          at 1 or above, those of K and C above 0); every coordinate driven by three components.
// Values are drawn as integers in units of 10^-4 (10^-7 for the chain's C) and written as exact
// decimals, so a file depends only on family, n and seed.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Units = std::int64_t;

/// Writes a text file through a large buffer.
class Writer {
 public:
  explicit Writer(std::FILE* file) : file_(file) { buffer_.reserve(kBlock + 64); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  ~Writer() { flush(); }

  void text(std::string_view s) {
    buffer_.append(s);
    if (buffer_.size() >= kBlock) flush();
  }
  /// units · 10^-decimals as an exact decimal; zero is written as "0".
  void decimal(Units units, int decimals) {
    if (units == 0) return text("0");
    char s[48];
    char* p = s;
    if (units < 0) *p++ = '-';
    Units magnitude = units < 0 ? -units : units;
    Units scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    p = std::to_chars(p, s + 24, magnitude / scale).ptr;
    *p++ = '.';
    magnitude %= scale;
    for (int i = decimals; i-- > 0; magnitude /= 10) p[i] = static_cast<char>('0' + magnitude % 10);
    text({s, p + decimals});
  }
  void flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  std::FILE* file_;
  std::string buffer_;
};

/// A uniform integer in [lo, hi] from a generator whose sequence the standard fixes.
class Draw {
 public:
  explicit Draw(std::uint64_t seed) : rng_(seed) {}
  Units operator()(Units lo, Units hi) {
    return lo + static_cast<Units>(rng_() % static_cast<std::uint64_t>(hi - lo + 1));
  }

 private:
  std::mt19937_64 rng_;
};

constexpr int kDecimals = 4;  // values in units of 10^-4

/// A symmetric n×n matrix of units, stored by rows.
struct Square {
  explicit Square(int n) : n(n), units(static_cast<std::size_t>(n) * n, 0) {}
  Units& at(int i, int j) { return units[static_cast<std::size_t>(i) * n + j]; }
  Units at(int i, int j) const { return units[static_cast<std::size_t>(i) * n + j]; }
  int n;
  std::vector<Units> units;
};

void writeMatrix(Writer& out, const Square& m, int decimals) {
  for (int i = 0; i < m.n; ++i) {
    for (int j = 0; j < m.n; ++j) {
      if (j > 0) out.text(",");
      out.decimal(m.at(i, j), decimals);
    }
    out.text("\n");
  }
}

void writeRow(Writer& out, Draw& draw, int n, Units lo, Units hi) {
  for (int j = 0; j < n; ++j) {
    if (j > 0) out.text(",");
    out.decimal(draw(lo, hi), kDecimals);
  }
  out.text("\n");
}

/// Off-diagonal entries in [-spread, spread], each diagonal entry the sum of its row's
/// magnitudes plus a margin in [marginLo, marginHi].
Square diagonallyDominant(Draw& draw, int n, Units spread, Units marginLo, Units marginHi) {
  Square m(n);
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) m.at(i, j) = m.at(j, i) = draw(-spread, spread);
  for (int i = 0; i < n; ++i) {
    Units sum = draw(marginLo, marginHi);
    for (int j = 0; j < n; ++j)
      if (j != i) sum += m.at(i, j) < 0 ? -m.at(i, j) : m.at(i, j);
    m.at(i, i) = sum;
  }
  return m;
}

void writeChain(Writer& out, Draw& draw, int n) {
  Square mass(n), stiffness(n), damping(n);
  std::vector<Units> springs(static_cast<std::size_t>(n) + 1);
  for (int i = 0; i < n; ++i) mass.at(i, i) = draw(10000, 20000);
  for (Units& s : springs) s = draw(10000, 100000);
  for (int i = 0; i < n; ++i) {
    stiffness.at(i, i) = springs[i] + springs[i + 1];
    if (i + 1 < n) stiffness.at(i, i + 1) = stiffness.at(i + 1, i) = -springs[i + 1];
  }
  // C = 0.02·M + 0.002·K, in units of 10^-7: 20·M + 2·K in units of 10^-4 scaled by 10^3.
  for (std::size_t e = 0; e < damping.units.size(); ++e)
    damping.units[e] = 20 * mass.units[e] + 2 * stiffness.units[e];
  writeMatrix(out, mass, kDecimals);
  writeMatrix(out, damping, kDecimals + 3);
  writeMatrix(out, stiffness, kDecimals);
  out.text("1.25,3.5\n1,0.5\n0,0.75\n");
  for (int i = 1; i < n; ++i) out.text(",\n,\n,\n");
  writeRow(out, draw, n, -1000, 1000);
  writeRow(out, draw, n, 0, 0);
}

void writeDense(Writer& out, Draw& draw, int n) {
  writeMatrix(out, diagonallyDominant(draw, n, 5000, 10000, 20000), kDecimals);    // M
  writeMatrix(out, diagonallyDominant(draw, n, 100, 100, 1000), kDecimals);        // C
  writeMatrix(out, diagonallyDominant(draw, n, 10000, 10000, 100000), kDecimals);  // K
  for (int i = 0; i < n; ++i) {
    writeRow(out, draw, 3, 1000, 50000);    // frequencies in [0.1, 5]
    writeRow(out, draw, 3, -10000, 10000);  // amplitudes in [-1, 1]
    writeRow(out, draw, 3, 0, 62832);       // phases in [0, 2π]
  }
  writeRow(out, draw, n, -10000, 10000);
  writeRow(out, draw, n, -1000, 1000);
}

int usage() {
  std::fputs("usage: gen_system chain|dense N [SEED] [OUTPUT]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string family = argv[1];
  const int n = std::atoi(argv[2]);
  const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
  if (n < 1 || (family != "chain" && family != "dense")) return usage();
  std::FILE* file = argc > 4 ? std::fopen(argv[4], "w") : stdout;
  if (file == nullptr) {
    std::perror(argv[4]);
    return 1;
  }
  {
    Writer out(file);
    Draw draw(seed);
    out.text(std::to_string(n) + "\n");
    if (family == "chain")
      writeChain(out, draw, n);
    else
      writeDense(out, draw, n);
  }
  const bool failed = std::ferror(file) != 0;
  if (file != stdout) std::fclose(file);
  return failed ? 1 : 0;
}
