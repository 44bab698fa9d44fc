// Writes a voucher-line table of N records (default 500000, the largest table of a big export)
// and reads it back, printing records per second for both.
//
//   build/release/bench/bench_dbf_read [RECORDS] [FOLDER]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "source/dbf.h"

int main(int argc, char** argv) {
  using vodare::Date;
  using vodare::Value;
  long records = argc > 1 ? std::atol(argv[1]) : 500000;
  std::filesystem::path folder =
      argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
  std::string path = (folder / "bench_lines.dbf").string();
  using Clock = std::chrono::steady_clock;

  std::vector<vodare::DbfField> fields = {
      {"VCHNO", 'C', 12, 0}, {"VDATE", 'D', 8, 0}, {"PARTY", 'C', 40, 0},  {"ITEM", 'C', 40, 0},
      {"QTY", 'N', 12, 3},   {"RATE", 'N', 14, 2}, {"AMOUNT", 'N', 16, 2}, {"NARR", 'C', 60, 0},
      {"POSTED", 'L', 1, 0}, {"LINE", 'N', 6, 0}};
  auto t0 = Clock::now();
  {
    vodare::DbfWriteOptions options;
    options.last_update = Date::FromYmd(2024, 3, 31);
    vodare::DbfWriter w(path, fields, options);
    std::vector<Value> row(fields.size());
    for (long i = 0; i < records; ++i) {
      row[0] = Value("S/" + std::to_string(100000 + i / 5));
      row[1] = Value(Date::FromYmd(2023, 4, 1 + static_cast<int>(i % 28)));
      row[2] = Value(i % 7 == 0 ? "Müller & Söhne Trading Co." : "Sharma Distributors");
      row[3] = Value("  Item " + std::to_string(i % 997));
      row[4] = Value(static_cast<double>(i % 50) + 0.5);
      row[5] = Value(125.75);
      row[6] = i % 11 == 0 ? Value() : Value((i % 50 + 0.5) * 125.75);
      row[7] = Value("Being goods sold as per order");
      row[8] = Value(i % 2 == 0);
      row[9] = Value(static_cast<double>(i % 5 + 1));
      w.Add(row, i % 101 == 0);
    }
    w.Close();
  }
  auto t1 = Clock::now();
  long read = 0;
  double checksum = 0;
  {
    vodare::DbfReader reader(path);
    std::vector<Value> row;
    while (reader.Next(row)) {
      ++read;
      if (row[6].IsDouble()) checksum += row[6].Double();
    }
  }
  auto t2 = Clock::now();
  double write_s = std::chrono::duration<double>(t1 - t0).count();
  double read_s = std::chrono::duration<double>(t2 - t1).count();
  std::printf("write %ld records: %.3f s (%.0f records/s), %.1f MB\n", records, write_s,
              records / write_s, std::filesystem::file_size(path) / 1e6);
  std::printf("read  %ld live records: %.3f s (%.0f records/s), checksum %.2f\n", read, read_s,
              read / read_s, checksum);
  std::filesystem::remove(path);
  return 0;
}
