// gen_model: writes a sparse model for lsde into a folder: M.mtx and K.mtx (Matrix Market,
// coordinate real symmetric, lower triangle only) and the harmonic loads loads.csv.
//
//   gen_model chain N DIR            N unit masses, springs k = 1e4 between neighbours and to a
//                                    wall at each end (ω_max = 2·sqrt(k) = 200, so ω·dt = 0.2
//                                    at dt = 1e-3); load cos(50·t) on dof 1.
//   gen_model solid NX NY NZ DIR [free]
//                                    a steel block of NX×NY×NZ 8-node bricks, each a cube of
//                                    edge 1 cm slightly sheared (E = 210 GPa, ν = 0.3,
//                                    ρ = 7850 kg/m³), 3 dofs a node, lumped mass, clamped on
//                                    the face i = 0 (those dofs are left out; `free` keeps
//                                    them, for checking the element); the node index along NX
//                                    varies slowest, so a slender block is banded. A 1 N
//                                    transverse (z) load cos(20·t) is spread evenly over the
//                                    nodes of the free end i = NX.
//
// Damping is left to the command line (--rayleigh). Every value is written in the shortest text
// that reads back as the same double, so the files are the model exactly.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/output.hpp"

namespace {

/// One open output file whose writes go through lsde's buffered, checked output.
class ModelFile {
 public:
  explicit ModelFile(const std::filesystem::path& path)
      : file_(std::fopen(path.c_str(), "w")), path_(path.string()) {
    if (file_ == nullptr) throw std::runtime_error(path_ + ": cannot create the file");
    out_.emplace(file_);
  }
  ModelFile(const ModelFile&) = delete;
  ModelFile& operator=(const ModelFile&) = delete;
  ~ModelFile() {
    out_.reset();
    if (file_ != nullptr) std::fclose(file_);
  }

  lsde::OutputBuffer& out() { return *out_; }
  void close() {
    try {
      out_->flush();
      lsde::finishOutput(file_);
    } catch (const lsde::WriteError& e) {
      throw std::runtime_error(path_ + ": " + e.what());
    }
    out_.reset();
    const int failed = std::fclose(file_);
    file_ = nullptr;
    if (failed != 0) throw std::runtime_error(path_ + ": write error");
  }

 private:
  std::FILE* file_;
  std::string path_;
  std::optional<lsde::OutputBuffer> out_;
};

void writeIndex(lsde::OutputBuffer& out, long long value) {
  char s[24];
  out.text({s, std::to_chars(s, s + sizeof s, value).ptr});
}

/// A symmetric coordinate Matrix Market file, filled row by row with the entries on or below
/// the diagonal (1-based indices); the header's entry count is given up front.
class SymmetricWriter {
 public:
  SymmetricWriter(const std::filesystem::path& path, long long n, long long entries) : file_(path) {
    file_.out().text("%%MatrixMarket matrix coordinate real symmetric\n");
    writeIndex(file_.out(), n);
    file_.out().put(' ');
    writeIndex(file_.out(), n);
    file_.out().put(' ');
    writeIndex(file_.out(), entries);
    file_.out().put('\n');
  }
  void entry(long long row, long long column, double value) {
    lsde::OutputBuffer& out = file_.out();
    writeIndex(out, row);
    out.put(' ');
    writeIndex(out, column);
    out.put(' ');
    out.shortest(value);
    out.put('\n');
  }
  void close() { file_.close(); }

 private:
  ModelFile file_;
};

struct Load {
  long long dof;  // 1-based
  double amplitude;
  double omega;
};

void writeLoads(const std::filesystem::path& path, const std::vector<Load>& loads) {
  ModelFile file(path);
  lsde::OutputBuffer& out = file.out();
  out.text("dof,amplitude,omega,phase\n");
  for (const Load& load : loads) {
    writeIndex(out, load.dof);
    out.put(',');
    out.shortest(load.amplitude);
    out.put(',');
    out.shortest(load.omega);
    out.text(",0\n");
  }
  file.close();
}

void writeChain(long long n, const std::filesystem::path& dir) {
  constexpr double kSpring = 1e4;
  SymmetricWriter mass(dir / "M.mtx", n, n);
  for (long long i = 1; i <= n; ++i) mass.entry(i, i, 1.0);
  mass.close();
  SymmetricWriter stiffness(dir / "K.mtx", n, 2 * n - 1);
  for (long long i = 1; i <= n; ++i) {
    if (i > 1) stiffness.entry(i, i - 1, -kSpring);
    stiffness.entry(i, i, 2 * kSpring);
  }
  stiffness.close();
  writeLoads(dir / "loads.csv", {{1, 1.0, 50.0}});
  std::printf("chain: n = %lld, K: %lld entries (%lld stored)\n", n, 3 * n - 2, 2 * n - 1);
}

// How far the grid's j and l steps lean: x by 0.1 and 0.05 edges per step, y by 0.08 per l.
constexpr double kShear[3] = {0.1, 0.05, 0.08};

// The brick: local node a sits at corner (a & 1, a >> 1 & 1, a >> 2 & 1) of the cube.
constexpr int kNodes = 8;
constexpr int kDofs = 3 * kNodes;
using ElementMatrix = std::array<std::array<double, kDofs>, kDofs>;

/// The brick's edges as the columns of a 3×3 matrix: the grid's steps along i, j and l.
using Edges = std::array<std::array<double, 3>, 3>;

/// Stiffness of a parallelepiped brick, isotropic material (E, ν): the sum over the 2×2×2 Gauss
/// points of Bᵀ·D·B·det J, B the strain–displacement matrix (engineering shears). The map from
/// the reference cube [-1, 1]³ is affine, x = edges·(ξ + 1)/2, so J = edges/2 everywhere.
ElementMatrix brickStiffness(const Edges& edges, double young, double poisson) {
  const double scale = young / ((1 + poisson) * (1 - 2 * poisson));
  const double normal = scale * (1 - poisson), lateral = scale * poisson;
  const double shear = scale * (1 - 2 * poisson) / 2;
  const double d[6][6] = {{normal, lateral, lateral, 0, 0, 0},
                          {lateral, normal, lateral, 0, 0, 0},
                          {lateral, lateral, normal, 0, 0, 0},
                          {0, 0, 0, shear, 0, 0},
                          {0, 0, 0, 0, shear, 0},
                          {0, 0, 0, 0, 0, shear}};
  // ∂ξ/∂x = J⁻¹ by cofactors: inverse[r][c] = cofactor of J[c][r] / det J.
  double j[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) j[r][c] = edges[r][c] / 2;
  double inverse[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      inverse[r][c] = j[r1][c1] * j[r2][c2] - j[r1][c2] * j[r2][c1];
    }
  const double det = j[0][0] * inverse[0][0] + j[0][1] * inverse[1][0] + j[0][2] * inverse[2][0];
  for (auto& row : inverse)
    for (double& v : row) v /= det;

  const double g = 1 / std::sqrt(3.0);
  ElementMatrix k{};
  for (int p = 0; p < 8; ++p) {
    const double xi[3] = {(p & 1) ? g : -g, (p & 2) ? g : -g, (p & 4) ? g : -g};
    double grad[kNodes][3];  // ∂N_a/∂x, ∂N_a/∂y, ∂N_a/∂z at the point
    for (int a = 0; a < kNodes; ++a) {
      double s[3];
      for (int axis = 0; axis < 3; ++axis) s[axis] = (a >> axis & 1) ? 1.0 : -1.0;
      const double f0 = 1 + s[0] * xi[0], f1 = 1 + s[1] * xi[1], f2 = 1 + s[2] * xi[2];
      const double local[3] = {s[0] * f1 * f2 / 8, f0 * s[1] * f2 / 8, f0 * f1 * s[2] / 8};
      for (int x = 0; x < 3; ++x)
        grad[a][x] = local[0] * inverse[0][x] + local[1] * inverse[1][x] + local[2] * inverse[2][x];
    }
    double b[6][kDofs] = {};  // strains xx, yy, zz, yz, xz, xy
    for (int a = 0; a < kNodes; ++a) {
      const double gx = grad[a][0], gy = grad[a][1], gz = grad[a][2];
      b[0][3 * a] = gx;
      b[1][3 * a + 1] = gy;
      b[2][3 * a + 2] = gz;
      b[3][3 * a + 1] = gz;
      b[3][3 * a + 2] = gy;
      b[4][3 * a] = gz;
      b[4][3 * a + 2] = gx;
      b[5][3 * a] = gy;
      b[5][3 * a + 1] = gx;
    }
    double db[6][kDofs] = {};
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < 6; ++c)
        for (int i = 0; i < kDofs; ++i) db[r][i] += d[r][c] * b[c][i];
    for (int r = 0; r < kDofs; ++r)
      for (int c = 0; c < kDofs; ++c) {
        double sum = 0;
        for (int e = 0; e < 6; ++e) sum += b[e][r] * db[e][c];
        k[r][c] += sum * det;
      }
  }
  return k;
}

/// A structured grid of (nx+1)(ny+1)(nz+1) nodes; node (i, j, l) is number (i·(ny+1) + j)·(nz+1)
/// + l, less the first face when it is clamped.
struct Grid {
  int nx, ny, nz;
  bool clamped;
  long long face() const { return static_cast<long long>(ny + 1) * (nz + 1); }
  long long nodes() const { return (nx + (clamped ? 0 : 1)) * face(); }
  int firstPlane() const { return clamped ? 1 : 0; }
  long long node(int i, int j, int l) const {
    return (static_cast<long long>(i - firstPlane()) * (ny + 1) + j) * (nz + 1) + l;
  }
  bool hasNode(int i, int j, int l) const {
    return i >= firstPlane() && i <= nx && j >= 0 && j <= ny && l >= 0 && l <= nz;
  }
  bool hasElement(int i, int j, int l) const {
    return i >= 0 && i < nx && j >= 0 && j < ny && l >= 0 && l < nz;
  }
};

/// Calls visit(row, column, value) for the stiffness entries on or below the diagonal, row by row
/// (1-based): the 3×3 block between node P and a neighbour Q is the sum, over the bricks holding
/// both, of the element's block for their local numbers. Residues of cancellation (below 1e-12 of
/// the largest element entry) are structural zeros and left out, as exact zeros are.
template <typename Visit>
void forEachStiffnessEntry(const Grid& grid, const ElementMatrix& k, Visit visit) {
  double largest = 0;
  for (const auto& row : k)
    for (double v : row) largest = std::max(largest, std::abs(v));
  const double negligible = 1e-12 * largest;
  std::array<double, 9> block{};
  for (int i = grid.firstPlane(); i <= grid.nx; ++i)
    for (int j = 0; j <= grid.ny; ++j)
      for (int l = 0; l <= grid.nz; ++l) {
        const long long p = grid.node(i, j, l);
        for (int c = 0; c < 3; ++c)
          for (int di = -1; di <= 1; ++di)
            for (int dj = -1; dj <= 1; ++dj)
              for (int dl = -1; dl <= 1; ++dl) {
                const int qi = i + di, qj = j + dj, ql = l + dl;
                if (!grid.hasNode(qi, qj, ql)) continue;
                const long long q = grid.node(qi, qj, ql);
                if (q > p) continue;
                block.fill(0);
                // The bricks holding P start at P − (ex, ey, ez); Q's local number in the same
                // brick follows from its offset.
                for (int e = 0; e < kNodes; ++e) {
                  const int ex = e & 1, ey = e >> 1 & 1, ez = e >> 2 & 1;
                  if (!grid.hasElement(i - ex, j - ey, l - ez)) continue;
                  const int bx = ex + di, by = ey + dj, bz = ez + dl;
                  if (bx < 0 || bx > 1 || by < 0 || by > 1 || bz < 0 || bz > 1) continue;
                  const int b = bx + 2 * by + 4 * bz;
                  for (int r = 0; r < 3; ++r)
                    for (int s = 0; s < 3; ++s) block[3 * r + s] += k[3 * e + r][3 * b + s];
                }
                for (int s = 0; s < 3 && 3 * q + s <= 3 * p + c; ++s)
                  if (std::abs(block[3 * c + s]) > negligible)
                    visit(3 * p + c + 1, 3 * q + s + 1, block[3 * c + s]);
              }
      }
}

void writeSolid(const Grid& grid, const std::filesystem::path& dir) {
  constexpr double kEdge = 0.01, kYoung = 210e9, kPoisson = 0.3, kDensity = 7850;
  // Slightly sheared bricks: on a perfectly rectangular grid a third of the couplings cancel by
  // symmetry, which no real mesh does.
  const Edges edges = {{{kEdge, kShear[0] * kEdge, kShear[1] * kEdge},
                        {0, kEdge, kShear[2] * kEdge},
                        {0, 0, kEdge}}};
  const ElementMatrix k = brickStiffness(edges, kYoung, kPoisson);
  const long long n = 3 * grid.nodes();

  // Lumped mass: each brick gives an eighth of its mass to each of its nodes.
  SymmetricWriter mass(dir / "M.mtx", n, n);
  const double share = kDensity * kEdge * kEdge * kEdge / 8;  // the shear keeps the volume
  for (int i = grid.firstPlane(); i <= grid.nx; ++i)
    for (int j = 0; j <= grid.ny; ++j)
      for (int l = 0; l <= grid.nz; ++l) {
        int bricks = 0;
        for (int e = 0; e < kNodes; ++e)
          bricks += grid.hasElement(i - (e & 1), j - (e >> 1 & 1), l - (e >> 2 & 1)) ? 1 : 0;
        const long long p = grid.node(i, j, l);
        for (int c = 0; c < 3; ++c) mass.entry(3 * p + c + 1, 3 * p + c + 1, bricks * share);
      }
  mass.close();

  // The entry count heads the file: one pass counts, the next writes.
  long long stored = 0;
  forEachStiffnessEntry(grid, k, [&](long long, long long, double) { ++stored; });
  SymmetricWriter stiffness(dir / "K.mtx", n, stored);
  forEachStiffnessEntry(grid, k, [&](long long row, long long column, double value) {
    stiffness.entry(row, column, value);
  });
  stiffness.close();

  std::vector<Load> loads;
  const double amplitude = 1.0 / static_cast<double>(grid.face());
  for (int j = 0; j <= grid.ny; ++j)
    for (int l = 0; l <= grid.nz; ++l)
      loads.push_back({3 * grid.node(grid.nx, j, l) + 3, amplitude, 20.0});
  writeLoads(dir / "loads.csv", loads);
  std::printf("solid: n = %lld, K: %lld entries (%lld stored), %.1f a row\n", n, 2 * stored - n,
              stored, static_cast<double>(2 * stored - n) / n);
}

int usage() {
  std::fputs("usage: gen_model chain N DIR | gen_model solid NX NY NZ DIR [free]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 3 && args[0] == "chain") {
      const long long n = std::atoll(args[1].c_str());
      if (n < 1) return usage();
      std::filesystem::create_directories(args[2]);
      writeChain(n, args[2]);
      return 0;
    }
    if ((args.size() == 5 || (args.size() == 6 && args[5] == "free")) && args[0] == "solid") {
      const Grid grid{std::atoi(args[1].c_str()), std::atoi(args[2].c_str()),
                      std::atoi(args[3].c_str()), args.size() == 5};
      if (grid.nx < 1 || grid.ny < 1 || grid.nz < 1) return usage();
      std::filesystem::create_directories(args[4]);
      writeSolid(grid, args[4]);
      return 0;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gen_model: %s\n", e.what());
    return 1;
  }
  return usage();
}
