// The search's output filter on arbitrary predictor output. The input's last
// bytes choose the search (condition, heights, time-of-day window, shortest
// period) and how the output is cut into pieces; the rest is the output. The
// same output is filtered once whole and once in pieces: however it arrives,
// the window must read the same counts, extremes, rows and series.

#include "engine/GetTidesShell.h"
#include "engine/TimeAndTide.h"
#include "fw/Date.h"
#include "fw/RowList.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kConditions[] = {"above", "below", "between", "BETWEEN", ""};
constexpr int kSecondsPerDay = 86400;
constexpr int kLongestPeriod = 3 * kSecondsPerDay;
// Heights are chosen in tenths, as a user types them.
constexpr int kLowestTenths = -300;
constexpr int kHighestTenths = 300;
constexpr std::size_t kLongestPiece = 300;

class Rows : public fw::RowList {
public:
  std::vector<std::string> rows;
  void AddRow(const std::string& text) override { rows.push_back(text); }
  void DeleteAllRows() override { rows.clear(); }
  int ListCount() const override { return static_cast<int>(rows.size()); }
  std::string List(int row) const override { return rows.at(static_cast<std::size_t>(row)); }
};

struct Search {
  const char* compare;
  float lotide;
  float hitide;
  std::int32_t stime;
  std::int32_t etime;
  std::int32_t minlength;
};

float height(FuzzedDataProvider& input) {
  return static_cast<float>(input.ConsumeIntegralInRange(kLowestTenths, kHighestTenths)) / 10.0f;
}

Search chooseSearch(FuzzedDataProvider& input) {
  Search s{};
  s.compare = kConditions[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kConditions) - 1)];
  s.lotide = height(input);
  s.hitide = height(input);
  s.stime = input.ConsumeIntegralInRange(0, kSecondsPerDay);
  s.etime = input.ConsumeIntegralInRange(0, kSecondsPerDay);
  s.minlength = input.ConsumeIntegralInRange(0, kLongestPeriod);
  return s;
}

// A filter set up as the window sets one up, with every collector present.
struct Filter {
  GetTidesShell shell;
  Rows rows;

  explicit Filter(const Search& s) {
    shell.compare = s.compare;
    shell.lotide = s.lotide;
    shell.hitide = s.hitide;
    shell.stime = s.stime;
    shell.etime = s.etime;
    shell.minlength = s.minlength;
    shell.reportBox = &rows;
    shell.collector = std::make_shared<TimeAndTide>();
    shell.tempwhen = std::make_shared<fw::Date>();
    shell.foundTides = std::make_shared<TimeAndTide>();
  }
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "output filter: %s\n", what);
  std::abort();
}

// Bit for bit, so that a NaN height equals itself.
template <typename T> bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}
bool sameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameSeries(const TimeAndTide& a, const TimeAndTide& b) {
  return a.ntimesandtides == b.ntimesandtides && sameBits(a.times, b.times) &&
         sameBits(a.tides, b.tides);
}

void checkConsistent(const Filter& f) {
  const GetTidesShell& s = f.shell;
  if (s.ndata > s.nchecked)
    fail("more samples than lines");
  if (s.collector->ntimesandtides != s.ndata)
    fail("a sample was not collected, or collected twice");
  if (static_cast<std::size_t>(s.foundTides->ntimesandtides) != f.rows.rows.size())
    fail("the rows and the found periods disagree");
  for (const std::string& row : f.rows.rows)
    if (row.rfind("Start ", 0) != 0)
      fail("a row that is not a period");
  if (s.leftover.find('\r') != std::string::npos)
    fail("a complete line was left unfiltered");
}

void checkSame(const Filter& whole, const Filter& pieces) {
  const GetTidesShell& a = whole.shell;
  const GetTidesShell& b = pieces.shell;
  if (a.nchecked != b.nchecked || a.ndata != b.ndata)
    fail("the counts depend on how the output was cut");
  if (a.lastLine != b.lastLine || a.leftover != b.leftover)
    fail("the last words depend on how the output was cut");
  if (!sameBits(a.minTide, b.minTide) || !sameBits(a.maxTide, b.maxTide))
    fail("the range depends on how the output was cut");
  if (whole.rows.rows != pieces.rows.rows)
    fail("the rows depend on how the output was cut");
  if (!sameSeries(*a.collector, *b.collector) || !sameSeries(*a.foundTides, *b.foundTides))
    fail("the series depend on how the output was cut");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const Search search = chooseSearch(input);
  std::minstd_rand cuts(input.ConsumeIntegral<std::uint32_t>());
  const std::size_t longestPiece = input.ConsumeIntegralInRange<std::size_t>(1, kLongestPiece);
  const std::string output = input.ConsumeRemainingBytesAsString();

  Filter whole(search);
  whole.shell.CollectData(output);
  whole.shell.Finish();

  Filter pieces(search);
  for (std::size_t at = 0; at < output.size();) {
    const std::size_t length = std::min(output.size() - at, cuts() % longestPiece + 1);
    pieces.shell.CollectData(std::string_view(output).substr(at, length));
    at += length;
  }
  pieces.shell.Finish();

  checkConsistent(whole);
  checkSame(whole, pieces);
  return 0;
}
