// kombrel-bench: what one Ctrl+5 costs, measured in the simulated host with its journal off.
//   Selection   table 58 of 100,000 MM documents, a tenth of them in the range: the event 235 with a user
//               who enters the dates, marks nothing and leaves the list, so the run is the scan, the
//               filter, the sort and the first display of the list (and an empty merge).
//   Collection  10 marked MM documents of 3,000 positions each, through the event 235, into a document
//               with no slot, so that the merge ends at the first position.
//   Merge       WstawPozycjeMM called directly over a collection put in place, timed against the bare
//               loop over the same slots in the same iteration, and the document it leaves checked.
// Times are the time the thread ran (the machine may be busy with other work). At the end it prints the
// figures as tables and checks the targets; the exit status is 1 when one is missed or a run went wrong.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "benchmarks/workload.h"
#include "simulated_host/plugin.h"
#include "simulated_host/services.h"
#include "tests/plugin_internals.h"

namespace kombrel_bench {
namespace {

constexpr std::int32_t kTransferEvent = 235;
constexpr std::int32_t kNoteFlags = 0x200;  // the "Proszę czekać!" note, shown right before the sort
constexpr std::int32_t kScanned = 100'000;
constexpr std::int32_t kCollectionDocuments = 10;
constexpr std::int32_t kCollectionPositions = 3'000;
constexpr std::uint32_t kListStep = 30 * sizeof(MmListEntry);               // 6,270 bytes
constexpr std::uint32_t kCollectionStep = 500 * sizeof(CollectedPosition);  // 89,500 bytes
constexpr const char* kInsertSymbol = "_Z14WstawPozycjeMMPP13TsprDokRecordPiP11TableObjectsi";

constexpr double kMergeTarget = 1.5;  // merge time per slot test, at most this times the bare loop's
constexpr double kSortTarget = 1.2;   // sort comparisons, at most this times n log2 n

const MergeCase kMergeCases[] = {
    {2'000, 1'000, 1'000, 500},
    {8'000, 4'000, 4'000, 2'000},
    {32'767, 16'384, 32'767, 16'384},  // the most the 16-bit indexes allow; ends exactly full
};

// The time this thread has run, in seconds. The machine may be shared with other work, and wall time would
// count the waits for a core as well.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A fresh host from `config` with the plug-in loaded and started in it, for one benchmark run.
class Session {
 public:
  explicit Session(simhost::Config config)
      : host_(simhost::Host::Start(std::move(config))),
        plugin_(std::make_unique<simhost::Plugin>(KOMBREL_PLUGIN_FILE, host_.config.plugin_path)) {
    char help[64] = {};
    started_ = plugin_->loaded() && plugin_->LoadCheck(help) == 0 && plugin_->Start() == 0;
  }
  ~Session() {
    if (started_) plugin_->Stop();
    plugin_.reset();
    simhost::Host::Stop();
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool started() const { return started_; }
  simhost::Host& host() { return host_; }

 private:
  simhost::Host& host_;
  std::unique_ptr<simhost::Plugin> plugin_;
  bool started_ = false;
};

// What the host saw of the run besides its effect: nothing left alive or open, no broken promise.
std::string Leftovers(const simhost::Host& host) {
  if (!host.blocks.empty()) return "a host memory block left alive";
  if (!host.scans.empty() || !host.results.empty()) return "a scan or search result left open";
  if (!host.violations.empty()) return "host violation: " + host.violations.front();
  return {};
}

// --- Selection ------------------------------------------------------------------------------------

const SelectionData& SelectionFor(bool shuffled) {
  static const SelectionData in_order = MakeSelection(kScanned, false);
  static const SelectionData random = MakeSelection(kScanned, true);
  return shuffled ? random : in_order;
}

// The issue date of a list row ("...\rDD.MM.YYYY") as YYYYMMDD.
std::string RowDate(const std::string& row) {
  const std::string date = row.substr(row.rfind('\r') + 1);
  return date.size() == 10 ? date.substr(6, 4) + date.substr(3, 2) + date.substr(0, 2) : std::string();
}

void Selection(benchmark::State& state) {
  const SelectionData& data = SelectionFor(state.range(0) != 0);
  simhost::Config config;
  config.journal = false;
  config.mm = data.documents;
  simhost::FormScript script;
  script.dates = std::make_pair(std::string(kRangeFrom), std::string(kRangeTo));
  script.accept = false;  // no marks, the list is left: nothing is collected
  config.forms = {script};
  Session session(std::move(config));
  if (!session.started()) return state.SkipWithError("the plug-in did not start");
  simhost::Host& host = session.host();

  std::uint64_t compares_at_note = 0;
  host.on_message = [&](const simhost::Message& message) {
    if (message.flags == kNoteFlags) compares_at_note = host.date_compares;
  };
  double seconds = 0;
  std::uint64_t filter_compares = 0;
  std::uint64_t sort_compares = 0;
  for (auto _ : state) {
    host.form_runs = 0;
    host.messages.clear();
    host.chained.clear();
    const std::uint64_t compares_before = host.date_compares;
    const double start = ThreadSeconds();
    host.RaiseEvent(kTransferEvent);
    const double run = ThreadSeconds() - start;
    state.SetIterationTime(run);
    seconds += run;
    filter_compares += compares_at_note - compares_before;
    sort_compares += host.date_compares - compares_at_note;

    if (host.messages.size() != 1) return state.SkipWithError("a message other than the note");
    if (host.list_rows.size() != static_cast<std::size_t>(data.listed))
      return state.SkipWithError("the list does not hold the documents of the range");
    for (std::size_t i = 1; i < host.list_rows.size(); ++i) {
      if (RowDate(host.list_rows[i]) < RowDate(host.list_rows[i - 1]))
        return state.SkipWithError("the list is not sorted by issue date");
    }
    if (const std::string left = Leftovers(host); !left.empty()) return state.SkipWithError(left.c_str());
  }
  const double iterations = static_cast<double>(state.iterations());
  const double n = data.listed;
  state.counters["scanned"] = kScanned;
  state.counters["listed"] = n;
  state.counters["ns_per_scanned"] = seconds / iterations / kScanned * 1e9;
  state.counters["filter_cmp_per_scanned"] = filter_compares / iterations / kScanned;
  state.counters["sort_cmp"] = sort_compares / iterations;
  state.counters["sort_cmp_per_listed"] = sort_compares / iterations / n;
  state.counters["sort_cmp_vs_nlog2n"] = sort_compares / iterations / (n * std::log2(n));
}

// --- Collection -----------------------------------------------------------------------------------

void Collection(benchmark::State& state) {
  simhost::Config config;
  config.journal = false;
  config.slot_count = 0;  // the merge ends at the first position: the run is the collection's
  config.mm = MakeCollection(kCollectionDocuments, kCollectionPositions);
  simhost::FormScript script;
  script.dates = std::make_pair(std::string(kRangeFrom), std::string(kRangeTo));
  for (std::int32_t row = 0; row < kCollectionDocuments; ++row)
    script.inserts.push_back(row);
  config.forms = {script};
  Session session(std::move(config));
  if (!session.started()) return state.SkipWithError("the plug-in did not start");
  simhost::Host& host = session.host();

  // One step of the list, then the collection's fixed steps of 500 entries: 89,500 bytes × k.
  constexpr std::int32_t kPositions = kCollectionDocuments * kCollectionPositions;
  std::vector<std::uint32_t> expected_sizes = {kListStep};
  for (std::uint32_t k = 1; k <= (kPositions + 499) / 500; ++k)
    expected_sizes.push_back(kCollectionStep * k);

  double seconds = 0;
  for (auto _ : state) {
    host.form_runs = 0;
    host.messages.clear();
    host.chained.clear();
    host.realloc_sizes.clear();
    const double start = ThreadSeconds();
    host.RaiseEvent(kTransferEvent);
    const double run = ThreadSeconds() - start;
    state.SetIterationTime(run);
    seconds += run;

    if (host.realloc_sizes != expected_sizes)
      return state.SkipWithError("the allocations are not the fixed steps of 500 entries");
    if (host.messages.size() != 2) return state.SkipWithError("a message other than the note and Blokada");
    if (const std::string left = Leftovers(host); !left.empty()) return state.SkipWithError(left.c_str());
  }
  state.counters["positions"] = kPositions;
  state.counters["ns_per_position"] = seconds / static_cast<double>(state.iterations()) / kPositions * 1e9;
  state.counters["growth_steps"] = static_cast<double>(expected_sizes.size() - 1);
}

// --- Merge and insertion --------------------------------------------------------------------------

const MergeData& MergeFor(std::int64_t which) {
  static std::map<std::int64_t, MergeData> made;
  auto found = made.find(which);
  if (found == made.end()) found = made.emplace(which, MakeMerge(kMergeCases[which])).first;
  return found->second;
}

using InsertFn = std::int32_t (*)(TsprDokRecord** slots, std::int32_t* slot_count,
                                  TableObject* position_table, std::int16_t browse_value,
                                  std::int32_t browse_argument);

void Merge(benchmark::State& state) {
  const MergeData& data = MergeFor(state.range(0));
  simhost::Config config;
  config.journal = false;
  config.slot_count = data.sizes.slots;
  Session session(std::move(config));
  if (!session.started()) return state.SkipWithError("the plug-in did not start");
  simhost::Host& host = session.host();
  const auto insert = reinterpret_cast<InsertFn>(kombrel_test::PluginSymbol(kInsertSymbol));
  auto* collected = static_cast<RunArray*>(kombrel_test::PluginSymbol("CollectedPositions"));
  if (insert == nullptr || collected == nullptr) return state.SkipWithError("plug-in symbols not found");

  // The collection as PobierzPozDokumentu leaves it: a host block of whole steps of 500 entries.
  const std::int32_t count = static_cast<std::int32_t>(data.collected.size());
  const std::int32_t capacity = (count + 499) / 500 * 500;
  void* block = nullptr;
  torval_mem_realloc(&block, static_cast<std::uint32_t>(capacity) * sizeof(CollectedPosition));
  std::memcpy(block, data.collected.data(), data.collected.size() * sizeof(CollectedPosition));
  *collected = RunArray{block, count, capacity};

  TableObject* positions = host.table(45);
  double merge_seconds = 0;
  double bare_seconds = 0;
  std::string failure;
  for (auto _ : state) {
    for (std::size_t s = 0; s < data.document.size(); ++s)
      *host.slots[s] = data.document[s];
    SetTableCurrentRowOffset(positions, 0);

    // The two take turns at going first, so that neither finds the caches warmed by the other.
    double bare = 0;
    const auto time_bare = [&] {
      const double start = ThreadSeconds();
      benchmark::DoNotOptimize(BareLoop(data, host.slots.data()));
      bare = ThreadSeconds() - start;
    };
    if (state.iterations() % 2 == 1) time_bare();
    const double start = ThreadSeconds();
    const std::int32_t result = insert(host.slots.data(), &host.slot_count, positions, 0x0102, 0x08080808);
    const double merge = ThreadSeconds() - start;
    if (state.iterations() % 2 == 0) time_bare();

    state.SetIterationTime(merge);
    merge_seconds += merge;
    bare_seconds += bare;
    if (result != 1)
      failure = "WstawPozycjeMM did not answer 1";
    else if (std::string differences = CompareDocument(data, host.slots.data()); !differences.empty())
      failure = "the document is not what the merge must leave: " + differences;
    else if (TableCurrentRowOffset(positions) != data.last_inserted)
      failure = "the current row is not the last inserted position";
    else if (!host.messages.empty())
      failure = "a message during the merge";
    if (!failure.empty()) break;
  }
  *collected = RunArray{nullptr, 0, 0};
  torval_mem_free(block);
  if (!failure.empty()) return state.SkipWithError(failure.c_str());
  if (const std::string left = Leftovers(host); !left.empty()) return state.SkipWithError(left.c_str());

  const double iterations = static_cast<double>(state.iterations());
  const double tests = static_cast<double>(data.slot_tests());
  const auto& depth = data.depths.stopped_at;
  state.counters["slots"] = data.sizes.slots;
  state.counters["positions"] = count;
  state.counters["merges"] = data.merges;
  state.counters["slot_tests"] = tests;
  state.counters["merge_tests"] = static_cast<double>(data.merge_tests);
  state.counters["free_tests"] = static_cast<double>(data.free_tests);
  state.counters["merge_ns_per_test"] = merge_seconds / iterations / tests * 1e9;
  state.counters["bare_ns_per_test"] = bare_seconds / iterations / tests * 1e9;
  state.counters["ratio"] = merge_seconds / bare_seconds;
  state.counters["pct_stop_attr"] =
      100.0 * static_cast<double>(depth[1]) / static_cast<double>(data.merge_tests);
  state.counters["pct_stop_price"] =
      100.0 * static_cast<double>(depth[2]) / static_cast<double>(data.merge_tests);
}

BENCHMARK(Selection)->ArgName("shuffled")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Collection)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Merge)->ArgName("case")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Merge)->ArgName("case")->Arg(2)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// --- Figures and targets --------------------------------------------------------------------------

// Keeps, per benchmark, the counters of its single run or, with repetitions, of the median.
class FigureReporter : public benchmark::ConsoleReporter {
 public:
  struct Figures {
    std::map<std::string, double> counters;
    double milliseconds = 0;
    int repetitions = 1;
    bool failed = false;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      Figures& figures = figures_[run.run_name.function_name + "/" + run.run_name.args];
      figures.failed = figures.failed || run.error_occurred;
      if (run.error_occurred) continue;
      for (const auto& [name, counter] : run.counters)
        figures.counters[name] = counter.value;
      figures.milliseconds = run.GetAdjustedRealTime() *
                             benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond) /
                             benchmark::GetTimeUnitMultiplier(run.time_unit);
      figures.repetitions = static_cast<int>(run.repetitions);
    }
  }

  const std::map<std::string, Figures>& figures() const { return figures_; }

 private:
  std::map<std::string, Figures> figures_;
};

std::string CpuModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line, model, family, number;
  while (std::getline(cpuinfo, line)) {
    const auto value = [&] { return line.substr(line.find(':') + 2); };
    if (model.empty() && line.rfind("model name", 0) == 0)
      model = value();
    else if (family.empty() && line.rfind("cpu family", 0) == 0)
      family = value();
    else if (number.empty() && line.rfind("model\t", 0) == 0)
      number = value();
  }
  return model + " (family " + family + ", model " + number + ")";
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Prints the figures as Markdown tables and answers whether every target was met.
bool PrintFigures(const FigureReporter& reporter) {
  bool met = true;
  const auto& all = reporter.figures();
  std::printf(
      "\nMachine: %u cores, %s. Figures: %s.\n", std::thread::hardware_concurrency(), CpuModel().c_str(),
      all.empty() || all.begin()->second.repetitions == 1 ? "one run each" : "medians over repetitions");

  std::printf(
      "\n| Selection (index 124 order) | Scanned | Listed n | Run | Per scanned record | "
      "Filter compares per scanned | Sort compares | Sort ÷ n·log2 n (≤ %.1f) |\n",
      kSortTarget);
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const char* which : {"Selection/shuffled:0", "Selection/shuffled:1"}) {
    auto found = all.find(which);
    if (found == all.end()) continue;
    const auto& f = found->second;
    if (f.failed) {
      std::printf("| %s | FAILED |\n", which);
      met = false;
      continue;
    }
    const auto& c = f.counters;
    const double ratio = c.at("sort_cmp_vs_nlog2n");
    met = met && ratio <= kSortTarget;
    std::printf("| %s | %.0f | %.0f | %s ms | %s ns | %s | %.0f (%s per listed) | %s %s |\n",
                std::string(which).back() == '1' ? "random" : "issue order", c.at("scanned"), c.at("listed"),
                Fixed(f.milliseconds, 1).c_str(), Fixed(c.at("ns_per_scanned"), 0).c_str(),
                Fixed(c.at("filter_cmp_per_scanned"), 2).c_str(), c.at("sort_cmp"),
                Fixed(c.at("sort_cmp_per_listed"), 1).c_str(), Fixed(ratio, 3).c_str(),
                ratio <= kSortTarget ? "met" : "MISSED");
  }

  if (auto found = all.find("Collection/"); found != all.end()) {
    const auto& f = found->second;
    std::printf("\n| Collection | Positions | Run | Per position | mem_realloc steps of 89,500 bytes |\n");
    std::printf("|---|---:|---:|---:|---:|\n");
    if (f.failed) {
      std::printf("| %d × %d | FAILED |\n", kCollectionDocuments, kCollectionPositions);
      met = false;
    } else {
      std::printf("| %d × %d | %.0f | %s ms | %s ns | %.0f, exact |\n", kCollectionDocuments,
                  kCollectionPositions, f.counters.at("positions"), Fixed(f.milliseconds, 1).c_str(),
                  Fixed(f.counters.at("ns_per_position"), 0).c_str(), f.counters.at("growth_steps"));
    }
  }

  std::printf(
      "\n| Merge: slots / used / positions / merging | Slot tests | Run | Merge per slot test | "
      "Bare loop per slot test | Ratio (≤ %.1f) | Tests ending at attribute / price | Document |\n",
      kMergeTarget);
  std::printf("|---|---:|---:|---:|---:|---:|---:|---|\n");
  for (std::size_t i = 0; i < std::size(kMergeCases); ++i) {
    const MergeCase& m = kMergeCases[i];
    auto found = all.find("Merge/case:" + std::to_string(i));
    if (found == all.end()) continue;
    const auto& f = found->second;
    const std::string sizes = std::to_string(m.slots) + " / " + std::to_string(m.used) + " / " +
                              std::to_string(m.positions) + " / " + std::to_string(m.merging);
    if (f.failed) {
      std::printf("| %s | FAILED |\n", sizes.c_str());
      met = false;
      continue;
    }
    const auto& c = f.counters;
    const double ratio = c.at("ratio");
    met = met && ratio <= kMergeTarget;
    std::printf("| %s | %.0f | %s ms | %s ns | %s ns | %s %s | %s %% / %s %% | checked |\n", sizes.c_str(),
                c.at("slot_tests"), Fixed(f.milliseconds, 1).c_str(),
                Fixed(c.at("merge_ns_per_test"), 3).c_str(), Fixed(c.at("bare_ns_per_test"), 3).c_str(),
                Fixed(ratio, 2).c_str(), ratio <= kMergeTarget ? "met" : "MISSED",
                Fixed(c.at("pct_stop_attr"), 1).c_str(), Fixed(c.at("pct_stop_price"), 1).c_str());
  }
  std::printf("\nTargets: %s\n", met ? "all met" : "NOT all met");
  return met;
}

}  // namespace
}  // namespace kombrel_bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::AddCustomContext("cpu_model", kombrel_bench::CpuModel());
  kombrel_bench::FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const bool met = kombrel_bench::PrintFigures(reporter);
  benchmark::Shutdown();
  return met ? 0 : 1;
}
