// Runs files through a fuzz entry point without libFuzzer, so that compilers without it (and
// ctest) replay the corpus and the inputs that once found a fault.
// Usage: <program> FILE_OR_FOLDER...; a folder stands for every regular file in it.
// An input that takes longer than kSlowInput fails the replay, as a libFuzzer timeout would.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Every input of the corpus takes milliseconds, even in debug and sanitized builds.
constexpr std::chrono::seconds kSlowInput{1};

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path& arg) {
  if (!std::filesystem::is_directory(arg)) return {arg};
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(arg))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());  // a stable order makes a failure easy to repeat
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& path : inputsOf(argv[i])) {
      std::ifstream file(path, std::ios::binary);
      if (!file) {
        std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
        return 1;
      }
      const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
      std::fprintf(stderr, "replay: %s\n", path.c_str());
      const auto start = std::chrono::steady_clock::now();
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      if (took > kSlowInput) {
        std::fprintf(stderr, "replay: %s took %.2f s, more than an input may take\n", path.c_str(),
                     took.count());
        return 1;
      }
      ++replayed;
    }
  }
  std::fprintf(stderr, "replay: %zu inputs, no fault\n", replayed);
  return replayed > 0 ? 0 : 1;
}
