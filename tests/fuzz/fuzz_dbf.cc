// libFuzzer target for the dBASE reader. The input is written as a table and, beside it, as its
// memo file, so that memo pointers land in fuzzed memo data too. Every outcome but DbfError or
// a clean reading is a finding.
//
//   cmake -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVODARE_BUILD_FUZZ=ON \
//     -DVODARE_BUILD_GUI=OFF -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -g"
//   cmake --build build/fuzz --target fuzz_dbf
//   build/fuzz/tests/fuzz/fuzz_dbf corpus/ tests/fixtures/dbf-real

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "source/dbf.h"

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    auto dir = std::filesystem::temp_directory_path() / ("vodare-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir.string();
  }();
  const std::string table = folder + "/t.dbf";
  WriteFile(table, data, size);
  // FoxPro versions look for .fpt, the others for .dbt.
  WriteFile(folder + "/t.dbt", data, size);
  WriteFile(folder + "/t.fpt", data, size);
  try {
    vodare::DbfReader reader(table);
    std::vector<vodare::Value> row;
    while (reader.Next(row)) {
    }
  } catch (const vodare::DbfError&) {
  }
  return 0;
}
