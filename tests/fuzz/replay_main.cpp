// Runs the fuzz target over input files, or folders of them, without
// libFuzzer: under ctest the seed corpus and every input the fuzzer has found
// are replayed with the unit tests' sanitizers.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool Replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return false;
  }
  const std::vector<uint8_t> input((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(input.data(), input.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path given = argv[i];
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(given)) {
      for (const auto& entry : std::filesystem::directory_iterator(given))
        if (entry.is_regular_file()) files.push_back(entry.path());
    } else {
      files.push_back(given);
    }
    for (const auto& file : files) {
      if (!Replay(file)) return 1;
      ++replayed;
    }
  }
  if (replayed == 0) {
    std::fprintf(stderr, "expected inputs to replay; found none\n");
    return 1;
  }
  std::printf("%zu inputs replayed, every property held\n", replayed);
  return 0;
}
