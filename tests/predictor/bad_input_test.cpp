// Every way a run can be wrong ends in one line "tide: …" on stderr, a
// non-zero status and nothing at all on stdout, and never in a crash.

#include "TideRun.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using tidetest::runTide;
using tidetest::TideResult;

namespace {

const std::string seattle = "Seattle, Puget Sound, Washington";

void expectOneLineFailure(const TideResult& result, const std::string& what) {
  EXPECT_GT(result.status, 0) << what;
  EXPECT_EQ(result.out, "") << what;
  ASSERT_FALSE(result.err.empty()) << what;
  EXPECT_EQ(result.err.rfind("tide: ", 0), 0u) << what << ": " << result.err;
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << what << ": " << result.err;
}

std::vector<std::string> search(std::vector<std::string> extra) {
  std::vector<std::string> args{"-mm", "-l", seattle};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

struct BadCommand {
  const char* what;
  std::vector<std::string> arguments;
  int status;
};

TEST(BadInput, MalformedCommandLinesAreRefused) {
  const BadCommand cases[] = {
      {"unknown option", {"-x", "-ml"}, 2},
      {"long option", {"--help"}, 2},
      {"stray argument", {"-ml", "stray"}, 2},
      {"option without its value", {"-ml", "-b"}, 2},
      {"no mode", {"-l", seattle}, 2},
      {"unknown mode", {"-m", "x"}, 2},
      {"unknown format", {"-fc", "-ml"}, 2},
      {"unknown -z", search({"-z", "q"}), 2},
      {"unknown units", search({"-u", "yards"}), 2},
      {"no station", {"-mm"}, 2},
      {"empty station", {"-mm", "-l", ""}, 1},
      {"unknown station", {"-mm", "-l", "Nowhere Harbor, Atlantis"}, 1},
      {"month 13", search({"-b", "2026-13-01 00:00"}), 1},
      {"words for a date", search({"-b", "tomorrow"}), 1},
      {"30 February", search({"-e", "2026-02-30 00:00"}), 1},
      {"hour 24", search({"-b", "2026-12-05 24:00"}), 1},
      {"date without time", search({"-b", "2026-12-05"}), 1},
      {"step 0", search({"-s", "0:00"}), 1},
      {"negative step", search({"-s", "-0:15"}), 1},
      {"step of 60 minutes", search({"-s", "0:60"}), 1},
      {"step in words", search({"-s", "often"}), 1},
      {"begin after end", search({"-b", "2026-12-06 00:00", "-e", "2026-12-05 00:00"}), 1},
      {"year after the tables", search({"-b", "2101-01-01 00:00", "-e", "2101-01-02 00:00"}), 1},
      {"year before the tables", search({"-b", "1699-06-01 00:00", "-e", "1699-06-02 00:00"}), 1},
      {"end in UTC after the tables", search({"-b", "2100-12-31 12:00", "-e", "2100-12-31 23:00"}),
       1},
      {"subordinate at the end of the tables",
       {"-mm", "-l", "Admiralty Head", "-b", "2100-12-31 15:45", "-e", "2100-12-31 16:00"},
       1},
  };
  for (const BadCommand& bad : cases) {
    const auto result = runTide(bad.arguments);
    expectOneLineFailure(result, bad.what);
    EXPECT_EQ(result.status, bad.status) << bad.what << ": " << result.err;
  }
}

class BadDatabase : public ::testing::Test {
protected:
  void SetUp() override {
    char name[] = "/tmp/tide-bad-db-XXXXXX";
    folder_ = mkdtemp(name);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string write(const std::string& file, const std::string& contents) {
    const std::string path = folder_ + "/" + file;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }
  std::string truncatedCopy(std::size_t bytes) {
    return write("cut" + std::to_string(bytes) + ".tcd",
                 tidetest::readFile(tidetest::databasePath).substr(0, bytes));
  }

  // Bytes flipped in the middle of the station records: the header still
  // vouches for the file, and the database library trips over the records.
  std::string damagedCopy() {
    std::string damaged = tidetest::readFile(tidetest::databasePath);
    for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 4096; ++i)
      damaged[i] = static_cast<char>(~damaged[i]);
    return write("damaged.tcd", damaged);
  }

  std::string folder_;
};

TEST_F(BadDatabase, UnusableHarmonicsFilesAreRefusedInBothModes) {
  const std::string whole = tidetest::readFile(tidetest::databasePath);
  ASSERT_GT(whole.size(), 100000u);
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"HFILE_PATH not set", std::nullopt},
      {"HFILE_PATH empty", ""},
      {"missing file", folder_ + "/missing.tcd"},
      {"folder", folder_},
      {"empty file", write("empty.tcd", "")},
      {"old text database",
       write("harmonics.txt", "# Harmonic constants\nSeattle\n+7:00 :US/Pacific\n")},
      {"binary noise", write("noise.tcd", std::string(5000, '\x7f'))},
      {"cut inside the header", truncatedCopy(1000)},
      {"cut after the header", truncatedCopy(5000)},
      {"cut inside the stations", truncatedCopy(whole.size() / 2)},
      {"cut by one byte", truncatedCopy(whole.size() - 1)},
      {"damaged station records", damagedCopy()},
      {"second of two files bad", tidetest::databasePath + ":" + folder_ + "/missing.tcd"},
  };
  for (const auto& [what, hfilePath] : cases) {
    expectOneLineFailure(runTide({"-ml"}, hfilePath), what);
    expectOneLineFailure(
        runTide(search({"-b", "2026-12-05 00:00", "-e", "2026-12-05 01:00"}), hfilePath), what);
  }
}

TEST_F(BadDatabase, TwoCopiesOfTheDatabaseListEveryStationTwiceWithDistinctNames) {
  const auto result = runTide({"-ml"}, tidetest::databasePath + ":" + tidetest::databasePath);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(tidetest::lines(result.out).size(), 2u + 2 * 5407);
}

} // namespace
