// The load readers: PEER .AT2 records in their forms, CSV records and load series, and one table
// of malformed files with the line and what is wrong.

#include <fstream>

#include "loads/ground_record.hpp"
#include "loads/load_series.hpp"
#include "models/file_error.hpp"
#include "support.hpp"

namespace lsde {
namespace {

constexpr std::uint64_t kMemory = 1 << 20;

// A scratch file holding text, one per test case: ctest runs tests side by side.
std::string fileWith(const std::string& text) {
  static int count = 0;
  const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
  const std::string path = testing::TempDir() + "lsde_" + test.test_suite_name() + "." +
                           test.name() + "." + std::to_string(++count);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

const std::string kPeer =
    "PEER NGA STRONG MOTION DATABASE RECORD\nAN EVENT, A STATION\n"
    "ACCELERATION TIME SERIES IN UNITS OF G\n";

struct GoodRecord {
  std::string text;
  double dt;
  std::vector<double> samples;
};

TEST(GroundRecord, At2InBothHeaderFormsAndEveryLineLayoutAndCsv) {
  const GoodRecord cases[] = {
      {kPeer + "NPTS=     3, DT=   .0050 SEC\n  .1000E-01 -.2000E-01  .3000E-01\n",
       0.005,
       {0.01, -0.02, 0.03}},
      {kPeer + "    3    .0100    NPTS, DT\n 1.5\n-2.5\n 3.5\n", 0.01, {1.5, -2.5, 3.5}},
      // Five a line, values touching with their minus sign, a short last line; CRLF ends and
      // blank header lines; values after the NPTS-th are not read.
      {"\r\n\r\nx\r\nNPTS=  7, DT= 0.02 SEC\r\n"
       "0.1234E-02-0.5678E-03 1E-3-1E-3 -0.5\r\n0.25 -0.125 9 9\r\n",
       0.02,
       {0.1234e-2, -0.5678e-3, 1e-3, -1e-3, -0.5, 0.25, -0.125}},
      {"\n\n\nNPTS=2,DT=.5\n1-2\n", 0.5, {1, -2}},
      {"t,a\n0,0.5\n0.01,-1\n0.02,2\n", 0.01, {0.5, -1, 2}},
  };
  for (const GoodRecord& c : cases) {
    const GroundRecord r = readGroundRecord(fileWith(c.text), kMemory);
    EXPECT_EQ(r.dt, c.dt) << c.text;
    EXPECT_EQ(r.samples, c.samples) << c.text;
  }
}

TEST(LoadSeries, ColumnsNameDofsAndInterpolateBetweenRows) {
  const LoadSeries s = readLoadSeries(fileWith(" t , 3,1\n\n0,1,2\r\n1, 3 ,-2\n"), 3, kMemory);
  EXPECT_EQ(s.dofs, (std::vector<int>{2, 0}));
  EXPECT_EQ(s.times, (std::vector<double>{0, 1}));
  EXPECT_EQ(s.values, (std::vector<double>{1, 2, 3, -2}));
  // Linear between rows, the last row at its time, nothing outside.
  for (const auto& [t, expected] :
       std::vector<std::pair<double, std::vector<double>>>{{-0.5, {0, 0, 0}},
                                                           {0, {2, 0, 1}},
                                                           {0.25, {1, 0, 1.5}},
                                                           {1, {-2, 0, 3}},
                                                           {1.5, {0, 0, 0}}}) {
    std::vector<double> force(3, 0.0);
    s.addTo(t, force);
    EXPECT_EQ(force, expected) << t;
  }
  const GroundRecord g{0.5, {1, 3, -1}};
  EXPECT_EQ((std::vector<double>{g.at(-0.1), g.at(0), g.at(0.25), g.at(0.75), g.at(1), g.at(1.01)}),
            (std::vector<double>{0, 1, 2, 1, -1, 0}));
}

struct BadFile {
  std::string text;
  bool series;  // a load series for 3 dofs, else a ground record
  std::string error;
};

TEST(Loads, MalformedFilesFailWithTheLineAndWhatIsWrong) {
  const std::string npts = kPeer + "NPTS=  3, DT= .01 SEC\n";
  const BadFile cases[] = {
      {"a\nb\n", false, "3: the file ends in its header: line 4 must give NPTS and DT"},
      {kPeer, false,
       "4: expected NPTS and DT (\"NPTS= 7807, DT= .005 SEC\" or \"7807 .005 NPTS, DT\"), found "
       "the end"},
      {kPeer + "ACCELERATION\n1 2 3\n", false, "4: expected NPTS and DT"},
      {kPeer + "NPTS= 3 SEC\n", false, "4: expected NPTS and DT"},
      {kPeer + "NPTS=  0, DT= .01\n", false, "4: NPTS must be a whole number ≥ 1, found 0"},
      {kPeer + "-3 .01 NPTS, DT\n", false, "4: NPTS must be a whole number ≥ 1, found -3"},
      {kPeer + "NPTS= 3, DT= 0 SEC\n", false, "4: DT must be a finite number > 0, found 0"},
      {npts + "1 2\n\n", false, "5: NPTS = 3 but the file holds 2 values"},
      {npts + "1 2x 3\n", false, "5: value 2 is not a finite number: \"2x\""},
      {npts + "1\n2 nan 3\n", false, "6: value 3 is not a finite number: \"nan\""},
      {"t,a\n0,1\n0.01,2\n0.03,3\n", false,
       "4: the times must be equally spaced: expected 0.02, found 0.03"},
      {"t,a\n0.01,1\n0.02,2\n", false, "2: the record must start at t = 0, found 0.01"},
      {"t,a\n0,1\n", false, "2: a record needs two samples at least, found 1"},
      {"t,b\n0,1\n", false, "1: expected the header \"t,a\" (time, ground acceleration)"},
      {"", true, "0: expected the header \"t,DOF,…\", found an empty file"},
      {"time,1\n", true, "1: expected the header \"t,DOF,…\", found \"time,1\""},
      {"t\n0\n", true, "1: the header \"t\" names no dof"},
      {"t,1,4\n", true, "1: dof 4 is outside 1 to 3"},
      {"t,x\n", true, "1: the header's \"x\" is not a dof number"},
      {"t,1\n0,1\n0,2\n", true, "3: the time 0 does not increase (the row before is at 0)"},
      {"t,1,2\n0,1,2\n1,2\n", true, "3: expected 3 fields, as the header has, found 2"},
      {"t,1,2\n0,1,2\n1,2,3,4,5\n", true, "3: expected 3 fields, as the header has, found 5"},
      {"t,1\n0,\n", true, "2: field 2 is empty"},
      {"t,1\nx,1\n", true, "2: the time is not a number: \"x\""},
  };
  for (const BadFile& c : cases) {
    const std::string path = fileWith(c.text);
    std::string found = "no error";
    try {
      if (c.series) {
        readLoadSeries(path, 3, kMemory);
      } else {
        readGroundRecord(path, kMemory);
      }
    } catch (const FileError& e) {
      EXPECT_EQ(e.file(), path);
      found = std::to_string(e.line()) + ": " + e.what();
    }
    EXPECT_EQ(found.substr(0, c.error.size()), c.error) << c.text;
  }
}

TEST(Loads, ARecordBeyondTheMemoryFailsBeforeItIsRead) {
  const std::string path =
      fileWith(kPeer + "NPTS= 1000000, DT= .01\n" + std::string(100000, '1') + "\n");
  EXPECT_THROW(readGroundRecord(path, 1000), FileError);
}

}  // namespace
}  // namespace lsde
