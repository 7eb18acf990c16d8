// Models from Matrix Market files, end to end: the examples written that way agree with their
// dense runs, --dofs picks columns, and every kind of bad file or option fails with one line.
#include <sstream>

#include "input/cursor.hpp"
#include "input/input_file.hpp"
#include "process.hpp"
#include "support.hpp"

namespace lsde::test {
namespace {

// A dense matrix as a general coordinate file of its non-zero entries.
std::string coordinateFile(const Matrix& a, int n) {
  std::ostringstream out;
  out.precision(17);
  int count = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) count += a[i][j] != 0.0;
  out << "%%MatrixMarket matrix coordinate real general\n% written by a test\n"
      << n << " " << n << " " << count << "\n";
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (a[i][j] != 0.0) out << i + 1 << " " << j + 1 << " " << a[i][j] << "\n";
  return out.str();
}

std::string arrayVector(const std::vector<double>& v) {
  std::ostringstream out;
  out.precision(17);
  out << "%%MatrixMarket matrix array real general\n" << v.size() << " 1\n";
  for (double x : v) out << x << "\n";
  return out.str();
}

std::string harmonicFile(const std::vector<Driver>& drives) {
  std::ostringstream out;
  out.precision(17);
  out << "dof,amplitude,omega,phase\n";
  for (std::size_t i = 0; i < drives.size(); ++i)
    for (int j = 0; j < drives[i].count; ++j)
      out << i + 1 << "," << drives[i].amplitudes[j] << "," << drives[i].frequencies[j] << ","
          << drives[i].phases[j] << "\n";
  return out.str();
}

// The model options for an input file written as M, C, K, x0, v0 and loads files in dir.
std::vector<std::string> writeModel(const std::string& example, const std::string& dir) {
  TextBuffer text = loadText(example);
  const InputFile in = readInputFile(text, 0, false);
  writeFile(dir + "/M.mtx", coordinateFile(in.m, in.n));
  writeFile(dir + "/C.mtx", coordinateFile(in.c, in.n));
  writeFile(dir + "/K.mtx", coordinateFile(in.k, in.n));
  writeFile(dir + "/x0.mtx", arrayVector(in.positions));
  writeFile(dir + "/v0.mtx", arrayVector(in.velocities));
  writeFile(dir + "/loads.csv", harmonicFile(in.drives));
  return {"--mass", "M.mtx",  "--damping", "C.mtx",  "--stiffness", "K.mtx",
          "--x0",   "x0.mtx", "--v0",      "v0.mtx", "--harmonic",  "loads.csv"};
}

TEST(Models, ExamplesAsMatrixMarketFilesAgreeWithTheirDenseRunsAndDofsPickColumns) {
  const std::vector<std::string> csv = {"--method", "newmark", "--format", "csv", "--every", "1"};
  for (const std::string name :
       {"two-masses", "damped-oscillator", "driven-resonance", "five-mass-chain"}) {
    const std::string dir = scratchDir(), example = kExamples + name + ".csv";
    std::vector<std::string> args = writeModel(example, dir);
    args.insert(args.begin(), csv.begin(), csv.end());
    const RunResult dense = runLsde([&] {
      std::vector<std::string> a = csv;
      a.push_back(example);
      return a;
    }());
    const RunResult sparse = runLsde(args, dir);
    ASSERT_EQ(sparse.status, 0) << sparse.err;
    std::string denseHeader, sparseHeader;
    const auto expected = csvRows(dense.out, &denseHeader),
               found = csvRows(sparse.out, &sparseHeader);
    EXPECT_EQ(sparseHeader, denseHeader);
    ASSERT_EQ(found.size(), expected.size());
    double largest = 0.0, difference = 0.0;
    for (std::size_t r = 0; r < found.size(); ++r)
      for (std::size_t c = 0; c < found[r].size(); ++c) {
        largest = std::max(largest, std::abs(expected[r][c]));
        difference = std::max(difference, std::abs(found[r][c] - expected[r][c]));
      }
    EXPECT_LE(difference, 1e-12 * largest) << name;

    // The last coordinate, then the first: their columns of the dense run, in that order.
    const int n = static_cast<int>(expected[0].size() - 1) / 2;
    args.insert(args.begin(), {"--dofs", std::to_string(n) + ",1"});
    std::string header;
    const auto picked = csvRows(runLsde(args, dir).out, &header);
    const std::string last = std::to_string(n);
    EXPECT_EQ(header, "t,x" + last + ",x1,v" + last + ",v1");
    ASSERT_EQ(picked.size(), found.size());
    for (std::size_t r = 0; r < found.size(); ++r)
      EXPECT_EQ(picked[r], (std::vector<double>{found[r][0], found[r][n], found[r][1],
                                                found[r][2 * n], found[r][n + 1]}));
  }
}

const std::string kUsage = "\nRun 'lsde --help' for usage.\n";
const std::string kHeader = "%%MatrixMarket matrix coordinate real general\n";
const std::string kTwo = kHeader + "2 2 2\n1 1 1\n2 2 1\n";  // the identity of order 2

// Files of a scratch folder, the arguments, and what the run must say on standard error.
struct Bad {
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> args;
  int status;
  std::string err;
};

TEST(Models, BadFilesAndOptionsFailWithOneLineNamingTheFile) {
  const std::vector<std::string> model = {"--mass", "M.mtx", "--stiffness", "K.mtx"};
  const auto with = [&](std::vector<std::string> more) {
    more.insert(more.begin(), model.begin(), model.end());
    return more;
  };
  // clang-format off
  const Bad cases[] = {
      {{}, {"--stiffness", "K.mtx", "f.csv"}, 2, "lsde: --stiffness needs --mass (a model from files)" + kUsage},
      {{}, {"--mass", "M.mtx", "f.csv"}, 2, "lsde: an input file and --mass exclude each other: give one model" + kUsage},
      {{}, {"--mass", "M.mtx"}, 2, "lsde: --mass needs --stiffness" + kUsage},
      {{}, with({"--damping", "C.mtx", "--rayleigh", "0.1,0.2"}), 2,
       "lsde: --damping and --rayleigh exclude each other: give one damping" + kUsage},
      {{}, with({"--rayleigh", "0.1"}), 2, "lsde: --rayleigh: expected two finite numbers A,B, found \"0.1\"" + kUsage},
      {{}, with({"--dofs", "3-1"}), 2, "lsde: --dofs: expected numbers ≥ 1 and ranges A-B, comma-separated, found \"3-1\"" + kUsage},
      {{{"M.mtx", kTwo}, {"K.mtx", kTwo}}, with({"--dofs", "1,3"}), 1,
       "lsde: M.mtx, K.mtx: --dofs: coordinate 3 is outside the model's 1 … 2\n"},
      // An input file's size is known before its echo: nothing is echoed.
      {{{"f.csv", kTwoMasses}}, {"--dofs", "3", "--no-prompt", "f.csv"}, 1,
       "lsde: f.csv: --dofs: coordinate 3 is outside the model's 1 … 2\n"},
      {{{"M.mtx", kTwo}, {"K.mtx", kHeader + "3 3 0\n"}}, model, 1,
       "lsde: K.mtx: a 3 × 3 matrix, but the mass matrix M.mtx is 2 × 2\n"},
      {{{"M.mtx", kHeader + "2 2 2\n1 1 1\n2 2 0\n"}, {"K.mtx", kTwo}}, model, 1,
       "lsde: M.mtx: the mass matrix M is singular; nothing to integrate\n"},
      {{{"M.mtx", kHeader + "50000000 50000000 0\n"}, {"K.mtx", kHeader + "50000000 50000000 1\n1 1 1\n"}}, model, 1,
       "lsde: M.mtx:2: the model's 50000000 rows need an entry each in M, K or C, but the files hold 1 entries\n"},
      {{{"K.mtx", kTwo}}, {"--mass", "K.mtx", "--stiffness", "K.mtx", "--harmonic", "/dev/urandom"}, 1,
       "lsde: /dev/urandom: not a regular file or pipe\n"},
      {{{"M.mtx", kTwo}, {"K.mtx", kHeader + "2 2 2\n1 1 -40000\n2 2 -40000\n"}},
       with({"--method", "newmark"}), 1,
       "lsde: M.mtx, K.mtx: the Newmark matrix K + 2/dt·C + 4/dt²·M is singular; nothing to integrate\n"},
      {{{"M.mtx", kTwo}, {"K.mtx", kTwo}}, with({"--x0", "missing.mtx"}), 1, ""},
      // The readers' own messages, each naming its file and line.
      {{{"M.mtx", "%%MatrixMarket matrix coordinate complex general\n"}, {"K.mtx", kTwo}}, model, 1, ""},
      {{{"M.mtx", kTwo}, {"K.mtx", kHeader + "2 2 1\n3 1 1\n"}}, model, 1, ""},
      {{{"M.mtx", kTwo}, {"K.mtx", "%%MatrixMarket matrix coordinate real symmetric\n2 2 1\n1 2 1\n"}}, model, 1, ""},
      {{{"M.mtx", kTwo}, {"K.mtx", kTwo}, {"F.csv", "dof,amplitude,omega,phase\n3,1,1,0\n"}},
       with({"--harmonic", "F.csv"}), 1, ""},
  };
  // clang-format on
  for (const Bad& c : cases) {
    const std::string dir = scratchDir();
    for (const auto& [name, text] : c.files) writeFile(dir + "/" + name, text);
    const RunResult r = runLsde(c.args, dir);
    EXPECT_EQ(r.status, c.status) << c.err;
    EXPECT_LT(r.peakKiB, 64 * 1024) << c.err;  // nothing of a size only a size line claims
    EXPECT_EQ(r.out, "") << c.err;
    if (!c.err.empty()) {
      EXPECT_EQ(r.err, c.err);
    } else if (c.status == 1) {  // the file named before the line, as FILE:LINE: or FILE:
      EXPECT_TRUE(r.err.starts_with("lsde: " + c.files.back().first + ":") ||
                  r.err.starts_with("lsde: " + c.files.front().first + ":") ||
                  r.err.starts_with("lsde: missing.mtx:"))
          << r.err;
    }
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), c.status == 2 ? 2 : 1) << r.err;
  }
}

}  // namespace
}  // namespace lsde::test
