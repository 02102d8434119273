// Replays kept inputs through a fuzz target's harness, built as a plain program: every file
// named, and every file in the folders named (a missing folder holds none). A harness that finds
// a fault aborts, so the program fails; otherwise it says how many inputs it replayed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return false;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path place = argv[i];
    std::error_code error;
    if (fs::is_regular_file(place, error)) {
      if (!replay(place)) return 1;
      ++replayed;
      continue;
    }
    if (!fs::is_directory(place, error)) continue;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(place)) {
      if (!entry.is_regular_file()) continue;
      if (!replay(entry.path())) return 1;
      ++replayed;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return 0;
}
