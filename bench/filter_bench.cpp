// Filtering a year of the predictor's output (one sample every 15 minutes)
// through GetTidesShell::CollectData, as one delivery and in pipe-sized pieces.

#include "engine/GetTidesShell.h"
#include "fw/Date.h"
#include "fw/RowList.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int samplesPerDay = 96;
constexpr int daysInYear = 365;
constexpr std::size_t pipePiece = 4096;

class Rows : public fw::RowList {
public:
  void AddRow(const std::string& text) override { rows.push_back(text); }
  void DeleteAllRows() override { rows.clear(); }
  int ListCount() const override { return static_cast<int>(rows.size()); }
  std::string List(int row) const override { return rows.at(static_cast<std::size_t>(row)); }
  std::vector<std::string> rows;
};

const std::string& yearOfOutput() {
  static const std::string text = [] {
    const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::string out;
    int sample = 0;
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= monthDays[month - 1]; ++day) {
        for (int q = 0; q < samplesPerDay; ++q, ++sample) {
          const int hour = q / 4, minute = 15 * (q % 4);
          const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
          // Two tides a day of changing range.
          const double height =
              3.2 + 2.8 * std::sin(sample * 0.1352) * (0.8 + 0.2 * std::cos(sample * 0.0047));
          char line[64];
          std::snprintf(line, sizeof line, "2026-%02d-%02d %2d:%02d %s PST %.6f\r\n", month, day,
                        hour12, minute, hour < 12 ? "AM" : "PM", height);
          out += line;
        }
      }
    }
    return out;
  }();
  return text;
}

void filterYear(benchmark::State& state, std::size_t piece) {
  const std::string& text = yearOfOutput();
  for (auto _ : state) {
    Rows rows;
    GetTidesShell shell;
    shell.compare = "between";
    shell.lotide = 1.0f;
    shell.hitide = 5.0f;
    shell.minlength = 3600;
    shell.reportBox = &rows;
    shell.tempwhen = std::make_shared<fw::Date>(fw::Date::FromTotalSeconds(0));
    shell.collector = std::make_shared<TimeAndTide>();
    shell.foundTides = std::make_shared<TimeAndTide>();
    for (std::size_t from = 0; from < text.size(); from += piece) {
      shell.CollectData(std::string_view(text).substr(from, piece));
    }
    shell.Finish();
    if (shell.ndata != samplesPerDay * daysInYear) {
      state.SkipWithError("not every sample line was read");
    }
    benchmark::DoNotOptimize(shell.collector->ntimesandtides);
    state.counters["rows"] = static_cast<double>(rows.rows.size());
  }
  state.SetItemsProcessed(state.iterations() * samplesPerDay * daysInYear);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_FilterYearWhole(benchmark::State& state) {
  filterYear(state, yearOfOutput().size());
}
void BM_FilterYearInPipePieces(benchmark::State& state) {
  filterYear(state, pipePiece);
}

BENCHMARK(BM_FilterYearWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterYearInPipePieces)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
