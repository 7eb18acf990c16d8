// lsde modes and lsde frf end to end: the two-mass example's modes and response, the same table
// from its Matrix Market files, and one line for each kind of bad model or option.
#include <complex>
#include <numbers>
#include <sstream>

#include "process.hpp"
#include "support.hpp"

namespace lsde::test {
namespace {

const std::string kTwoMasses = kExamples + "two-masses.csv";

// M = I, C = 0.1·I, K = [2 −1; −1 2]: ω = 1 and √3, ζ = 0.1 / 2ω, all the mass in mode 1.
TEST(Analysis, ModesOfTheTwoMassExample) {
  const std::string dir = scratchDir();
  const RunResult r =
      runLsde({"modes", kTwoMasses, "--format", "csv", "--shapes", "phi.csv", "--dofs", "2"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");  // no note without --count
  std::string header;
  const auto rows = csvRows(r.out, &header);
  EXPECT_EQ(header, "mode,omega,f,T,zeta,gamma,mass,cumulative");
  const double w2 = std::sqrt(3.0),
               expected[2][8] = {{1, 1, 1 / (2 * std::numbers::pi), 2 * std::numbers::pi, 0.05,
                                  std::sqrt(2.0), 2, 1},
                                 {2, w2, w2 / (2 * std::numbers::pi), 2 * std::numbers::pi / w2,
                                  0.05 / w2, 0, 0, 1}};
  ASSERT_EQ(rows.size(), 2u);
  for (int j = 0; j < 2; ++j)
    for (int c = 0; c < 8; ++c) EXPECT_NEAR(rows[j][c], expected[j][c], 1e-14) << j << "," << c;
  EXPECT_EQ(readFile(dir + "/phi.csv"),
            "dof,phi1,phi2\n2,0.7071067811865476,-0.7071067811865476\n");

  // The same model from Matrix Market files gives the same table, all its modes for --count 3.
  const std::string identity =
      "%%MatrixMarket matrix coordinate real general\n2 2 2\n1 1 1\n2 2 1\n";
  writeFile(dir + "/M.mtx", identity);
  writeFile(dir + "/K.mtx",
            "%%MatrixMarket matrix coordinate real symmetric\n2 2 3\n1 1 2\n2 1 -1\n2 2 2\n");
  const RunResult sparse = runLsde({"modes", "--mass", "M.mtx", "--stiffness", "K.mtx",
                                    "--rayleigh", "0.1,0", "--format", "csv", "--count", "3"},
                                   dir);
  EXPECT_EQ(sparse.out, r.out);
  EXPECT_EQ(sparse.err, "lsde: note: --count 3 is more than n = 2; all 2 modes are given\n");
}

TEST(Analysis, ResponseOfTheTwoMassExample) {
  std::string header;
  const RunResult sweep =
      runLsde({"frf", kTwoMasses, "--omega", "0:3:4", "--dofs", "2", "--format", "csv"});
  const auto rows = csvRows(sweep.out, &header);
  EXPECT_EQ(header, "omega,amp2,phase2");
  ASSERT_EQ(rows.size(), 4u);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rows[k][0], k);
  // At rest: K·X = F̂ with F̂ = (1, 0.2 + 0.1·e^{1.5i}), so X₂ = (F̂₁ + 2F̂₂) / 3.
  const std::complex<double> x2 = (1.0 + 2.0 * (0.2 + std::polar(0.1, 1.5))) / 3.0;
  EXPECT_NEAR(rows[0][1], std::abs(x2), 1e-15);
  EXPECT_NEAR(rows[0][2], std::arg(x2), 1e-15);

  // The model's own drive: one row per distinct frequency, ascending.
  const RunResult steady = runLsde({"frf", "--steady", kTwoMasses, "--format", "csv"});
  const auto harmonics = csvRows(steady.out, &header);
  EXPECT_EQ(header, "omega,amp1,phase1,amp2,phase2");
  ASSERT_EQ(harmonics.size(), 3u);
  EXPECT_EQ((std::vector<double>{harmonics[0][0], harmonics[1][0], harmonics[2][0]}),
            (std::vector<double>{0.5, 1.5, 2}));

  // A coordinate without mass leaves M singular, not K − Ω²·M.
  const std::string dir = scratchDir(), general = "%%MatrixMarket matrix coordinate real general\n";
  writeFile(dir + "/M.mtx", general + "2 2 1\n1 1 1\n");
  writeFile(dir + "/K.mtx", general + "2 2 2\n1 1 1\n2 2 1\n");
  writeFile(dir + "/F.csv", "dof,amplitude,omega,phase\n1,1,1,0\n");
  EXPECT_EQ(runLsde({"frf", "--mass", "M.mtx", "--stiffness", "K.mtx", "--harmonic", "F.csv",
                     "--omega", "0:0:1", "--format", "csv"},
                    dir)
                .out,
            "omega,amp1,phase1,amp2,phase2\n0,1,0,0,0\n");
}

// An input file with the two-mass example's M, C and drives and the given K rows.
std::string withStiffness(const std::string& k1, const std::string& k2) {
  std::istringstream lines(readFile(kTwoMasses));
  std::string text, line;
  for (int i = 1; std::getline(lines, line); ++i) text += (i == 6 ? k1 : i == 7 ? k2 : line) + "\n";
  return text;
}

TEST(Analysis, BadModelsAndOptionsFailWithOneLine) {
  const std::string usage = "Run 'lsde frf --help' for usage.\n",
                    modesUsage = "Run 'lsde modes --help' for usage.\n";
  const struct {
    std::string input;
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {withStiffness("2,-1", "-1.5,2"),
       {"modes", "f.csv"},
       1,
       "lsde: f.csv: the stiffness matrix K is not symmetric: K(1,2) − K(2,1) = 0.5, 0.25 of its "
       "largest entry\n"},
      {withStiffness("-2,1", "1,-2"),
       {"modes", "f.csv"},
       1,
       "lsde: f.csv: K is not positive semidefinite: mode 1 has ω² = -3 < 0 (the structure is "
       "unstable)\n"},
      {withStiffness("1,-1", "-1,1"),
       {"frf", "f.csv", "--omega", "0:1:3"},
       1,
       "lsde: f.csv: the dynamic stiffness K − Ω²·M + iΩ·C is singular at Ω = 0\n"},
      {"",
       {"frf", "f.csv", "--omega", "1:2:0"},
       2,
       "lsde: --omega: expected FROM:TO:COUNT, two finite numbers ≥ 0 and a whole number from 1 "
       "to 1000000, found \"1:2:0\"\n" +
           usage},
      {"",
       {"frf", "f.csv", "--omega", "1:2:1000001"},
       2,
       "lsde: --omega: expected FROM:TO:COUNT, two finite numbers ≥ 0 and a whole number from 1 "
       "to 1000000, found \"1:2:1000001\"\n" +
           usage},
      {"",
       {"frf", "f.csv", "--steady", "--omega", "1:2:3"},
       2,
       "lsde: --omega and --steady exclude each other\n" + usage},
      {"", {"frf", "f.csv"}, 2, "lsde: give --omega FROM:TO:COUNT or --steady\n" + usage},
      {"", {"modes", "f.csv", "--dofs", "1"}, 2, "lsde: --dofs needs --shapes\n" + modesUsage},
      {"",
       {"modes", "f.csv", "-o", "x.csv", "--shapes", "./x.csv"},
       2,
       "lsde: --shapes and -o name the same file: give two\n" + modesUsage},
      // Options of a run that these commands would ignore are not theirs.
      {"",
       {"modes", "f.csv", "--ground-accel", "r.at2"},
       2,
       "lsde: The following arguments were not expected: r.at2 --ground-accel\n" + modesUsage},
      {"",
       {"modes", "f.csv", "--harmonic", "h.csv"},
       2,
       "lsde: The following arguments were not expected: h.csv --harmonic\n" + modesUsage},
      {"",
       {"frf", "f.csv", "--steady", "--x0", "x0.mtx"},
       2,
       "lsde: The following arguments were not expected: x0.mtx --x0\n" + usage},
  };
  for (const auto& c : cases) {
    const std::string dir = scratchDir();
    writeFile(dir + "/f.csv", c.input);
    const RunResult r = runLsde(c.args, dir);
    EXPECT_EQ(r.status, c.status) << c.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
}

}  // namespace
}  // namespace lsde::test
