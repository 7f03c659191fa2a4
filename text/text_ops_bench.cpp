// FindText and SplitText over the real release list, each beside memmem on the
// same bytes. Run: dist/linux/... or build/linux/bin/text_ops_bench.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "text/text_ops.h"

namespace {

const std::string& ReleaseList() {
  static const std::string bytes = [] {
    const char* path = std::getenv("RELEASE_LIST");
    std::ifstream in(path ? path : RELEASE_LIST_DEFAULT, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }();
  return bytes;
}

constexpr char kAbsent[] = "CTR-ZZZZ";
constexpr char kDelimiter[] = "</release>";

void BM_FindText_Absent(benchmark::State& state) {
  const std::string& text = ReleaseList();
  for (auto _ : state) benchmark::DoNotOptimize(FindText(text, kAbsent));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_Memmem_Absent(benchmark::State& state) {
  const std::string& text = ReleaseList();
  for (auto _ : state) benchmark::DoNotOptimize(memmem(text.data(), text.size(), kAbsent, strlen(kAbsent)));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_SplitText_Releases(benchmark::State& state) {
  const std::string& text = ReleaseList();
  for (auto _ : state) benchmark::DoNotOptimize(SplitText(text, kDelimiter));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// The same cut with memmem, copying each piece the same way.
void BM_MemmemSplit_Releases(benchmark::State& state) {
  const std::string& text = ReleaseList();
  const size_t d = strlen(kDelimiter);
  for (auto _ : state) {
    std::vector<std::string> pieces;
    const char* at = text.data();
    const char* end = text.data() + text.size();
    while (const char* hit = static_cast<const char*>(memmem(at, end - at, kDelimiter, d))) {
      pieces.emplace_back(at, hit);
      at = hit + d;
    }
    if (at < end) pieces.emplace_back(at, end);
    benchmark::DoNotOptimize(pieces);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_FindText_Absent);
BENCHMARK(BM_Memmem_Absent);
BENCHMARK(BM_SplitText_Releases);
BENCHMARK(BM_MemmemSplit_Releases);

}  // namespace

BENCHMARK_MAIN();
