// Every define search prepares four statements and every view after a number search one;
// nothing is cached, so both must stay far below what a user can notice. Measured on the
// generated database with its indexes and on a copy without them, to show what they buy,
// and on the database of the nine headers it was first made from, to show what the grown
// one costs (it must stay within 1.2 times of that).
//
// Database: $QUILLON_DEFINES_DB, else the one the build generated, else a stand-in of the
// same size made here; the first nine headers' one: $QUILLON_CORE_DEFINES_DB, else the one
// the build generated. Prints the medians, the ratios and the targets at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lookup/define_opener.h"
#include "lookup/define_rows.h"
#include "query/text_routines.h"

namespace {

namespace fs = std::filesystem;
using quillon::DefineRows;
using quillon::ErrorType;
using quillon::ErrorTypeName;

constexpr double kSearchDefineTargetUs = 50.0;
constexpr double kShowDefineNameTargetUs = 15.0;
constexpr double kGrownOverCoreLimit = 1.2;

// A read-write connection for setting the files up; the code under test only reads.
class Connection {
 public:
  explicit Connection(const fs::path& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
      std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), sqlite3_errmsg(db_));
      std::exit(1);
    }
  }
  ~Connection() { sqlite3_close(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void Execute(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::fprintf(stderr, "%s: %s\n", sql.c_str(), error != nullptr ? error : "");
      std::exit(1);
    }
  }
  // Column 0 of every row, as text.
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> values;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
      while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(statement, 0);
        values.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "");
      }
    }
    sqlite3_finalize(statement);
    return values;
  }

 private:
  sqlite3* db_ = nullptr;
};

// Rows of the size the SDK headers give: Win32 2,500, HRESULT 1,700, NTSTATUS 1,700, STOP 300.
void MakeStandIn(const fs::path& path) {
  Connection db(path);
  db.Execute("BEGIN");
  const std::pair<ErrorType, int> tables[] = {{ErrorType::Win32, 2500},
                                              {ErrorType::Hresult, 1700},
                                              {ErrorType::NtStatus, 1700},
                                              {ErrorType::Stop, 300}};
  const std::uint32_t bases[] = {0, 0x80040000, 0xC0000000, 0};
  for (const auto& [type, rows] : tables) {
    const std::string table(ErrorTypeName(type));
    db.Execute("CREATE TABLE " + table + " (ErrNum INTEGER, Define TEXT)");
    for (int i = 0; i < rows; ++i) {
      const std::uint32_t code = bases[static_cast<int>(type)] + static_cast<std::uint32_t>(i * 7);
      db.Execute("INSERT INTO " + table + " VALUES (" + quillon::FormatSigned(code) + ", '" +
                 table + "_STANDIN_DEFINE_NAME_" + std::to_string(i) + "')");
    }
    db.Execute("CREATE INDEX " + table + "_ErrNum ON " + table + " (ErrNum)");
    db.Execute("CREATE INDEX " + table + "_Define ON " + table + " (Define)");
  }
  db.Execute("COMMIT");
}

// Drops every index the copy has; returns how many there were.
std::size_t DropIndexes(const fs::path& path) {
  Connection db(path);
  const std::vector<std::string> indexes =
      db.Column("SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL");
  for (const std::string& index : indexes) {
    db.Execute("DROP INDEX \"" + index + "\"");
  }
  return indexes.size();
}

struct Workload {
  std::vector<std::string> names;                            // for SearchDefine
  std::vector<std::pair<ErrorType, std::uint32_t>> numbers;  // (table, code) for the views
};

// An even spread of the names and codes each table holds, and some that no table holds.
Workload MakeWorkload(const fs::path& path) {
  Connection db(path);
  Workload work;
  for (const ErrorType type : quillon::kErrorTypes) {
    const std::string table(ErrorTypeName(type));
    const auto names = db.Column("SELECT Define FROM " + table);
    const auto codes = db.Column("SELECT CAST(ErrNum AS TEXT) FROM " + table);
    const std::size_t step = names.size() / 16 + 1;
    for (std::size_t i = 0; i < names.size(); i += step) {
      work.names.push_back(names[i]);
      work.numbers.emplace_back(type, static_cast<std::uint32_t>(std::stoll(codes[i])));
    }
    work.names.push_back("NO_SUCH_DEFINE_" + table);
    work.numbers.emplace_back(type, 123456789u);
  }
  return work;
}

void SearchDefine(benchmark::State& state, const DefineRows* db, const Workload* work) {
  std::size_t i = 0;
  std::size_t found = 0;
  for (auto _ : state) {
    const auto matches = quillon::SearchDefine(*db, work->names[i]);
    found += matches.size();
    benchmark::DoNotOptimize(matches.data());
    i = (i + 1) % work->names.size();
  }
  state.counters["found/call"] =
      benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

void ShowDefineName(benchmark::State& state, const DefineRows* db, const Workload* work) {
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& [table, code] = work->numbers[i];
    std::string name = db->NameOfValue(table, code).value_or("*** Unknown ***");
    benchmark::DoNotOptimize(name.data());
    i = (i + 1) % work->numbers.size();
  }
}

// Keeps the median of each benchmark while printing as usual.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  MedianReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        mediansUs[run.run_name.function_name] =
            run.GetAdjustedRealTime() * 1e6 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> mediansUs;
};

void PrintSummary(const std::map<std::string, double>& us, bool withCore) {
  const auto get = [&](const std::string& name) {
    const auto it = us.find(name);
    return it != us.end() ? it->second : 0.0;
  };
  std::printf("\nmedian per call (us)        indexed   no index   ratio   target\n");
  const std::pair<const char*, double> rows[] = {{"SearchDefine", kSearchDefineTargetUs},
                                                 {"ShowDefineName", kShowDefineNameTargetUs}};
  for (const auto& [name, target] : rows) {
    const double indexed = get(std::string(name) + "/indexed");
    const double plain = get(std::string(name) + "/no_index");
    std::printf("%-26s %9.2f %10.2f %7.1fx   < %.0f us: %s\n", name, indexed, plain,
                indexed > 0 ? plain / indexed : 0.0, target,
                indexed > 0 && indexed < target ? "met" : "NOT MET");
  }
  if (!withCore)
    return;
  std::printf("\nmedian per call (us)        first 9    grown   ratio   limit\n");
  for (const auto& [name, target] : rows) {
    const double core = get(std::string(name) + "/core");
    const double grown = get(std::string(name) + "/indexed");
    const double ratio = core > 0 ? grown / core : 0.0;
    std::printf("%-26s %9.2f %8.2f %7.2fx   < %.1fx: %s\n", name, core, grown, ratio,
                kGrownOverCoreLimit, ratio > 0 && ratio < kGrownOverCoreLimit ? "met" : "NOT MET");
  }
}

// The workload's names and codes, as many and as spread, from another database.
fs::path CoreDatabase() {
  if (const char* env = std::getenv("QUILLON_CORE_DEFINES_DB"); env != nullptr && *env != '\0')
    return env;
  return fs::exists(QUILLON_DEFAULT_CORE_DEFINES_DB) ? fs::path(QUILLON_DEFAULT_CORE_DEFINES_DB)
                                                     : fs::path();
}

}  // namespace

int main(int argc, char** argv) {
  // The repetitions of the databases interleaved, so that a busy spell of the machine does
  // not fall on one of them only; a later flag on the command line still decides.
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args(argv, argv + argc);
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());

  const fs::path work =
      fs::temp_directory_path() / ("quillon-define-bench-" + std::to_string(getpid()));
  fs::create_directories(work);

  fs::path source;
  if (const char* env = std::getenv("QUILLON_DEFINES_DB"); env != nullptr && *env != '\0') {
    source = env;
  } else if (fs::exists(QUILLON_DEFAULT_DEFINES_DB)) {
    source = QUILLON_DEFAULT_DEFINES_DB;
  }
  const fs::path indexedPath = work / "indexed.db3";
  if (source.empty()) {
    std::printf("database: stand-in made here (no generated defines.db3 found)\n");
    MakeStandIn(indexedPath);
  } else {
    std::printf("database: %s\n", source.c_str());
    fs::copy_file(source, indexedPath);
  }
  const fs::path plainPath = work / "no_index.db3";
  fs::copy_file(indexedPath, plainPath);
  std::printf("indexes dropped for the comparison: %zu\n", DropIndexes(plainPath));

  const fs::path corePath = CoreDatabase();
  if (!corePath.empty())
    std::printf("first nine headers' database: %s\n", corePath.c_str());
  const Workload workload = MakeWorkload(indexedPath);
  // Each database asked for its own names and codes, spread alike over its tables.
  const Workload coreWorkload = corePath.empty() ? Workload{} : MakeWorkload(corePath);
  std::printf("workload: %zu names, %zu codes\n", workload.names.size(), workload.numbers.size());
  {
    const DefineRows indexed(quillon::OpenDefinesReadOnly(indexedPath.string()));
    const DefineRows plain(quillon::OpenDefinesReadOnly(plainPath.string()));
    const DefineRows core(quillon::OpenDefinesReadOnly(corePath.string()));
    const auto add = [](const char* name, auto function, const DefineRows* db,
                        const Workload* load) {
      benchmark::RegisterBenchmark(name, function, db, load)
          ->MinTime(0.2)
          ->Repetitions(9)
          ->ReportAggregatesOnly(true)
          ->Unit(benchmark::kMicrosecond);
    };
    if (!corePath.empty()) {
      add("SearchDefine/core", SearchDefine, &core, &coreWorkload);
      add("ShowDefineName/core", ShowDefineName, &core, &coreWorkload);
    }
    add("SearchDefine/indexed", SearchDefine, &indexed, &workload);
    add("SearchDefine/no_index", SearchDefine, &plain, &workload);
    add("ShowDefineName/indexed", ShowDefineName, &indexed, &workload);
    add("ShowDefineName/no_index", ShowDefineName, &plain, &workload);

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintSummary(reporter.mediansUs, !corePath.empty());
  }

  std::error_code ignored;
  fs::remove_all(work, ignored);
  return 0;
}
