// The release list's load and the lookup of an absent product code, on the real
// list and on a synthetic list of 100,000 releases, each beside a memmem scan of
// the same bytes. Goal: the lookup within 2x of memmem.
// RELEASE_LIST=path overrides the real list's place.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "lookup/product_lookup.h"
#include "lookup/release_list.h"

namespace {

constexpr char kAbsentCode[] = "QZQZ";

std::string RealList() {
  const char* path = std::getenv("RELEASE_LIST");
  std::ifstream in(path ? path : RELEASE_LIST_DEFAULT, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// Releases shaped like the real ones, with distinct serials and title IDs.
std::string SyntheticList(int releases) {
  std::string list = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<releases>\n";
  char serial[5] = {};
  for (int i = 0; i < releases; ++i) {
    for (int k = 0, n = i; k < 4; ++k, n /= 26) serial[k] = static_cast<char>('A' + n % 26);
    char titleId[17];
    std::snprintf(titleId, sizeof titleId, "00040000%08X", 0x100000 + i);
    list += "<release>\n\t<id>" + std::to_string(i + 1) + "</id>\n\t<name>Synthetic Game " + std::to_string(i) +
            "</name>\n\t<publisher>Publisher " + std::to_string(i % 97) +
            "</publisher>\n\t<region>EUR</region>\n\t<languages>en,fr,de,it,es</languages>\n\t<group>Group</group>\n"
            "\t<imagesize>2048</imagesize>\n\t<serial>CTR-" + serial + "</serial>\n\t<titleid>" + titleId +
            "</titleid>\n\t<imgcrc>5BD0B123</imgcrc>\n\t<filename>syn-" + std::to_string(i) +
            "</filename>\n\t<releasename>Synthetic_Game_" + std::to_string(i) +
            "_EUR_3DS-SYN</releasename>\n\t<trimmedsize>229750272</trimmedsize>\n\t<firmware>1.0.0E</firmware>\n"
            "\t<type>1</type>\n</release>\n";
  }
  return list + "</releases>\n";
}

const std::string& ListBytes(int which) {
  static const std::string real = RealList();
  static const std::string synthetic = SyntheticList(100000);
  return which == 0 ? real : synthetic;
}

const char* ListName(int which) { return which == 0 ? "real" : "synthetic100k"; }

// The file system of a benchmark: the list is already in memory.
class MemoryFiles : public FileSystem {
 public:
  explicit MemoryFiles(const std::string& bytes) : bytes_(bytes) {}
  bool IsFile(const char*) override { return true; }
  bool ReadWholeFile(const char*, std::string* bytes) override {
    *bytes = bytes_;
    return true;
  }

 private:
  const std::string& bytes_;
};

void SetBytes(benchmark::State& state, const std::string& bytes) {
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  state.SetLabel(ListName(static_cast<int>(state.range(0))));
}

// Read (a copy from memory), cut and split into records, as at start.
void BM_LoadReleaseList(benchmark::State& state) {
  const std::string& bytes = ListBytes(static_cast<int>(state.range(0)));
  MemoryFiles files(bytes);
  const char* warning = nullptr;
  for (auto _ : state) {
    InitReleaseList();
    benchmark::DoNotOptimize(LoadReleaseList(files, &warning));
    FreeReleaseList();
  }
  SetBytes(state, bytes);
}

// The same bytes copied (as the read does) and scanned once by memmem: a floor
// for anything that reads the whole file.
void BM_LoadMemmemFloor(benchmark::State& state) {
  const std::string& bytes = ListBytes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string copy = bytes;
    benchmark::DoNotOptimize(memmem(copy.data(), copy.size(), kAbsentCode, 4));
  }
  SetBytes(state, bytes);
}

void BM_LookupAbsentCode(benchmark::State& state) {
  const std::string& bytes = ListBytes(static_cast<int>(state.range(0)));
  MemoryFiles files(bytes);
  const char* warning = nullptr;
  InitReleaseList();
  LoadReleaseList(files, &warning);
  for (auto _ : state) benchmark::DoNotOptimize(LookupProductCode(ReleaseRecords(), kAbsentCode));
  FreeReleaseList();
  SetBytes(state, bytes);
}

void BM_MemmemAbsentCode(benchmark::State& state) {
  const std::string& bytes = ListBytes(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(memmem(bytes.data(), bytes.size(), kAbsentCode, 4));
  SetBytes(state, bytes);
}

BENCHMARK(BM_LoadReleaseList)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadMemmemFloor)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupAbsentCode)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemmemAbsentCode)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
