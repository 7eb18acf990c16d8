// -o at what a shell's `>` writes through or refuses, in scratch folders only: a link stays a
// link and the file at its end gets the output, a device or FIFO is written into, a folder or a
// file the user may not write is refused before the input is read. As root, the program runs
// as nobody, who then owns the scratch folder.
#include <unistd.h>

#include <filesystem>

#include "process.hpp"
#include "support.hpp"

namespace lsde::test {
namespace {

const std::string kExpected = readFile(kExamples + "two-masses.expected");
const std::string kWhole = kExpected.substr(0, kExpected.rfind("Press <enter>"));  // no prompt

int shell(const std::string& dir, const std::string& commands) {
  const int raw = std::system(("cd " + shellQuoted(dir) + " || exit 1\n" + commands).c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

struct Row {
  std::string setup;  // shell commands in the scratch folder; exit 77 where not permitted
  std::vector<std::string> args;
  int status;
  std::string err;
  std::string after;  // a shell test that holds afterwards; want.txt holds the whole output
  std::string out = ">stdout.txt";
};

TEST(OutputTarget, LinksLeadToTheirFileDevicesAndFifosAreWrittenIntoTheUnwritableIsRefused) {
  const bool root = ::geteuid() == 0;
  const std::string unprivileged = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
  // clang-format off
  const Row rows[] = {
      {"mkdir r && echo old >r/run.txt && ln -s r/run.txt latest", {"-o", "latest", "f.csv"},
       0, "", "test -L latest && cmp r/run.txt want.txt"},
      {"mkdir r && ln -s r/run.txt latest", {"-o", "latest", "f.csv"}, 0, "",  // dangling
       "test -L latest && cmp r/run.txt want.txt"},
      {"mkdir r s && echo old >r/run.txt && ln -s ../r/run.txt s/a && ln -s \"$PWD/s/a\" b && "
       "ln -s b c", {"-o", "c", "f.csv"}, 0, "",  // a chain through another folder
       "test -L s/a && test -L b && test -L c && cmp r/run.txt want.txt"},
      {"mkfifo -m 666 p && { (timeout 10 cat p >got.txt; touch read) & }", {"-o", "p", "f.csv"},
       0, "", "until test -e read; do sleep 0.05; done; test -p p && cmp got.txt want.txt"},
      {"mknod -m 666 full c 1 7 && : >full || exit 77", {"-o", "full", "f.csv"}, 1,
       "lsde: write error: No space left on device\n", "test -c full"},
      {"echo old >ro.txt && chmod 444 ro.txt", {"-o", "ro.txt", "missing.csv"}, 1,
       "lsde: ro.txt: cannot write: Permission denied\n", "test \"$(cat ro.txt)\" = old"},
      {"mkdir d", {"-o", "d", "missing.csv"}, 1, "lsde: d: cannot write: Is a directory\n",
       "test -d d"},
      {"", {"-o", "new.txt", "f.csv"}, 0, "", "cmp new.txt want.txt"},
      {"echo previous >log", {"-o", "/dev/stdout", "f.csv"}, 0, "",  // not replaced: appended to
       "{ echo previous; cat want.txt; } | cmp - log", ">>log"},
      // The stability check's own arithmetic overflows; the step is still unstable.
      {"", {"--dt", "1e308", "--steps", "1", "-o", "new.txt", "f.csv"}, 0, "lsde: warning: the "
       "step 1e+308 is unstable for this system (its fastest mode grows about ×inf per two "
       "steps); steps below about 0.56 are stable\n", "test -f new.txt"},
  };
  // clang-format on
  for (const Row& row : rows) {
    const std::string dir = scratchDir();
    SCOPED_TRACE(row.setup + " | " + row.args[row.args.size() - 2]);
    writeFile(dir + "/f.csv", kTwoMasses);
    writeFile(dir + "/want.txt", kWhole);
    const int setup = shell(dir, row.setup);
    if (setup == 77) continue;  // no device nodes here
    ASSERT_EQ(setup, 0);
    if (root) {
      namespace fs = std::filesystem;
      fs::permissions(fs::path(dir).parent_path(), fs::perms::others_exec, fs::perm_options::add);
      ASSERT_EQ(shell(dir, "chown -R 65534:65534 ."), 0);
    }
    const RunResult r = runLsde(row.args, dir, {.out = row.out, .under = unprivileged});
    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(r.out + r.err, row.err);
    EXPECT_EQ(shell(dir, row.after + " && test -z \"$(find . -name '.*.*')\""), 0);
  }
}

}  // namespace
}  // namespace lsde::test
