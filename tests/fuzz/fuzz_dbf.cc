// libFuzzer target for the dBASE reader; the input is the memo file too, so pointers land in it.
//   cmake -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVODARE_BUILD_FUZZ=ON \
//     -DVODARE_BUILD_GUI=OFF -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -g"
//   cmake --build build/fuzz --target fuzz_dbf
//   build/fuzz/tests/fuzz/fuzz_dbf corpus/ tests/fixtures/dbf-real

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "source/dbf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path folder = [] {
    auto dir = std::filesystem::temp_directory_path() / ("vodare-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir;
  }();
  // FoxPro versions look for .fpt, the others for .dbt.
  for (const char* name : {"t.dbf", "t.dbt", "t.fpt"})
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
  try {
    vodare::DbfReader reader((folder / "t.dbf").string());
    for (std::vector<vodare::Value> row; reader.Next(row);) {
    }
  } catch (const vodare::DbfError&) {
  }
  return 0;
}
