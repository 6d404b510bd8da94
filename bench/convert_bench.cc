// Throughput of the list converters and of RegexObject on short keys.
#include <benchmark/benchmark.h>

#include <map>

#include "bench/list_generator.h"
#include "convert/converter.h"
#include "convert/regex_object.h"

namespace marvoset {
namespace {

const std::string& SogouList(std::size_t bytes) {
  static std::map<std::size_t, std::string> lists;
  auto it = lists.find(bytes);
  if (it == lists.end()) it = lists.emplace(bytes, bench::GenerateSogouList(bytes)).first;
  return it->second;
}

const std::string& QqList(std::size_t bytes) {
  static std::map<std::size_t, std::string> lists;
  auto it = lists.find(bytes);
  if (it == lists.end()) it = lists.emplace(bytes, ConvertSogouToQq(SogouList(bytes))).first;
  return it->second;
}

// Converts a list of the given size in the given direction; the QQ list is
// the converted Sogou list, so both directions see the same entries.
void BM_Convert(benchmark::State& state, bool sogou_to_qq) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  const std::string& list = sogou_to_qq ? SogouList(bytes) : QqList(bytes);
  for (auto _ : state) {
    Text out = sogou_to_qq ? ConvertSogouToQq(list) : ConvertQqToSogou(list);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * list.size()));
}
BENCHMARK_CAPTURE(BM_Convert, SogouToQq, true)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, QqToSogou, false)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond);

// The worst case of the probe: a 10 MB list of the other kind is decoded
// and searched whole before it is refused.
void BM_RefuseWrongKind(benchmark::State& state) {
  const std::string& list = QqList(10 << 20);
  for (auto _ : state) {
    Text out = ConvertSogouToQq(list);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_RefuseWrongKind)->Unit(benchmark::kMillisecond);

void BM_RegexCreateAndReplaceShortKey(benchmark::State& state) {
  RegexObject re;
  for (auto _ : state) {
    re.Create(",", "dz,1");
    Text out = re.Replace("=");
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_RegexCreateAndReplaceShortKey);

}  // namespace
}  // namespace marvoset

BENCHMARK_MAIN();
