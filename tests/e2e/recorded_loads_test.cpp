// Recorded loads end to end: the options reach the run and the spectrum command, and every kind
// of bad load file or option fails with one line and nothing on standard output.

#include "dynamics/response_peaks.hpp"
#include "loads/ground_record.hpp"
#include "process.hpp"
#include "support.hpp"

namespace lsde::test {
namespace {

// A two-storey shear building at rest, as an input file and as Matrix Market files.
const std::string kBuilding =
    "2\n2,0\n0,1\n0.8,-0.2\n-0.2,0.3\n300,-100\n-100,100\n,\n,\n,\n,\n,\n,\n0,0\n0,0\n";
const std::string kCoordinate = "%%MatrixMarket matrix coordinate real general\n";
const std::string kRecord =
    "A RECORD\nAN EVENT\nIN UNITS OF G\n   6   .02   NPTS, DT\n"
    "0.1 -0.3 0.2 0.05-0.1 0\n";

std::string scratchWithFiles() {
  const std::string dir = scratchDir();
  writeFile(dir + "/b.csv", kBuilding);
  writeFile(dir + "/M.mtx", kCoordinate + "2 2 2\n1 1 2\n2 2 1\n");
  writeFile(dir + "/K.mtx", kCoordinate + "2 2 4\n1 1 300\n1 2 -100\n2 1 -100\n2 2 100\n");
  writeFile(dir + "/r.at2", kRecord);
  return dir;
}

TEST(RecordedLoads, GroundScaleDoublesEveryValueOnEitherModelAndTheSpectrumIsTheLibrarys) {
  const std::string dir = scratchWithFiles();
  const std::vector<std::string> csv = {"--format", "csv", "--every",        "1",
                                        "--steps",  "200", "--ground-accel", "r.at2"};
  for (const std::vector<std::string>& model :
       {std::vector<std::string>{"b.csv"}, {"--mass", "M.mtx", "--stiffness", "K.mtx"}}) {
    std::vector<std::string> args = csv;
    args.insert(args.end(), model.begin(), model.end());
    const auto once = csvRows(runLsde(args, dir).out);
    args.insert(args.end(), {"--ground-scale", "2"});
    const auto twice = csvRows(runLsde(args, dir).out);
    ASSERT_EQ(twice.size(), 200u);
    ASSERT_EQ(once.size(), 200u);
    EXPECT_NE(once[100][1], 0.0);
    for (std::size_t r = 0; r < once.size(); ++r)
      for (std::size_t c = 1; c < once[r].size(); ++c) EXPECT_EQ(twice[r][c], 2 * once[r][c]);
  }
  const auto rows = csvRows(runLsde({"spectrum", "--format", "csv", "--scale", "9.81", "--periods",
                                     "0.1:2:5", "--damping", "0.02", "r.at2"},
                                    dir)
                                .out);
  const std::vector<SpectrumPoint> points =
      responseSpectrum(readGroundRecord(dir + "/r.at2"), logSpacedPeriods(0.1, 2, 5), 0.02, 9.81);
  ASSERT_EQ(rows.size(), points.size());
  for (std::size_t p = 0; p < points.size(); ++p)
    EXPECT_EQ(rows[p],
              (std::vector<double>{points[p].period, points[p].sd, points[p].psv, points[p].psa}));
}

struct Bad {
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> args;
  int status;
  std::string err;
};

TEST(RecordedLoads, BadFilesAndOptionsFailWithOneLineAndNothingOnStandardOutput) {
  const std::string usage = "\nRun 'lsde --help' for usage.\n",
                    spectrumUsage = "\nRun 'lsde spectrum --help' for usage.\n";
  // clang-format off
  const Bad cases[] = {
      {{{"s.csv", "t,1,3\n0,1,2\n"}}, {"--load-series", "s.csv", "b.csv"}, 1,
       "lsde: s.csv:1: dof 3 is outside 1 to 2\n"},
      {{{"s.csv", "t,1\n0,1\n0,2\n"}}, {"--mass", "M.mtx", "--stiffness", "K.mtx", "--load-series", "s.csv"}, 1,
       "lsde: s.csv:3: the time 0 does not increase (the row before is at 0)\n"},
      {{{"q.at2", "\n\n\n 6 NPTS\n"}}, {"--ground-accel", "q.at2", "b.csv"}, 1,
       "lsde: q.at2:4: expected NPTS and DT (\"NPTS= 7807, DT= .005 SEC\" or \"7807 .005 NPTS, DT\"), found \" 6 NPTS\"\n"},
      {{{"d.mtx", "%%MatrixMarket matrix array real general\n3 1\n1\n1\n1\n"}},
       {"--ground-accel", "r.at2", "--ground-direction", "d.mtx", "b.csv"}, 1,
       "lsde: d.mtx:2: expected a column of 2 values (2 × 1), the file holds a 3 × 1 matrix\n"},
      {{}, {"--ground-scale", "2", "b.csv"}, 2, "lsde: --ground-scale needs --ground-accel" + usage},
      {{}, {"--ground-accel", "r.at2", "--ground-scale", "1e999", "b.csv"}, 2,
       "lsde: --ground-scale: expected a finite number, found \"1e999\"" + usage},
      {{{"q.at2", "\n\n\nNPTS= 0, DT= .01\n"}}, {"spectrum", "q.at2"}, 1,
       "lsde: q.at2:4: NPTS must be a whole number ≥ 1, found 0\n"},
      {{}, {"spectrum", "--periods", "0.5,0,1", "r.at2"}, 2,
       "lsde: --periods: expected periods > 0, comma-separated, or FROM:TO:COUNT with 0 < FROM < TO and COUNT from 2 to 1000000, found \"0.5,0,1\"" + spectrumUsage},
      {{}, {"spectrum", "--periods", "0.1:1:1e6", "r.at2"}, 2,
       "lsde: --periods: expected periods > 0, comma-separated, or FROM:TO:COUNT with 0 < FROM < TO and COUNT from 2 to 1000000, found \"0.1:1:1e6\"" + spectrumUsage},
      {{}, {"spectrum", "--damping", "1", "r.at2"}, 2,
       "lsde: --damping: expected a number from 0 up to 1, 1 excluded, found \"1\"" + spectrumUsage},
      {{}, {"spectrum"}, 2, "lsde: RECORD is required" + spectrumUsage},
  };
  // clang-format on
  for (const Bad& c : cases) {
    const std::string dir = scratchWithFiles();
    for (const auto& [name, text] : c.files) writeFile(dir + "/" + name, text);
    const RunResult r = runLsde(c.args, dir);
    EXPECT_EQ(r.status, c.status) << c.err;
    EXPECT_EQ(r.out, "") << c.err;
    EXPECT_EQ(r.err, c.err);
  }
}

}  // namespace
}  // namespace lsde::test
