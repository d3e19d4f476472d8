// Runs a fuzz target's checks on every file of the folder it is given (its
// seed corpus), once each: the normal build's test of every input that a
// fuzzer once found or that was written for it. The first failing check
// aborts, after the file's name is printed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  using std::filesystem::directory_iterator;
  std::vector<std::filesystem::path> files;
  if (argc == 2) files.assign(directory_iterator(argv[1]), directory_iterator());
  std::sort(files.begin(), files.end());
  for (const std::filesystem::path& file : files) {
    std::printf("%s\n", file.c_str());
    std::fflush(stdout);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu passed\n", files.size());
  return files.empty() ? 1 : 0;  // a folder with no input is a mistake
}
