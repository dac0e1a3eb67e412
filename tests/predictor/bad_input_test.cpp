// Every way a run can be wrong ends in one line "tide: …" on stderr, a
// non-zero status and nothing at all on stdout, and never in a crash.

#include "TideRun.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace tidetest;

namespace {

void expectOneLineFailure(const tidetest::TideResult& r, const std::string& what, int status = 1,
                          const std::string& says = "") {
  EXPECT_EQ(std::tuple(r.status, r.out, r.err.rfind("tide: ", 0), r.err.find('\n') + 1,
                       r.err.find(says) != std::string::npos),
            std::tuple(status, "", 0u, r.err.size(), true))
      << what << ": " << r.err;
}

std::vector<std::string> search(std::vector<std::string> extra) {
  extra.insert(extra.begin(), {"-mm", "-l", seattle});
  return extra;
}

TEST(BadInput, MalformedCommandLinesAreRefused) {
  const struct {
    const char* what;
    std::vector<std::string> arguments;
    int status;
    const char* says = "";
  } cases[] = {
      {"unknown option", {"-x", "-ml"}, 2},
      {"option without its value", {"-ml", "-b"}, 2},
      {"empty station", {"-mm", "-l", ""}, 1},
      {"unknown station", {"-mm", "-l", "Nowhere Harbor, Atlantis"}, 1},
      {"month 13", search({"-b", "2026-13-01 00:00"}), 1},
      {"30 February as begin", search({"-b", "2026-02-30 00:00", "-e", "2026-03-03 00:00"}), 1,
       "malformed date"},
      {"30 February as end", search({"-b", "2026-02-27 00:00", "-e", "2026-02-30 00:00"}), 1,
       "malformed date"},
      {"hour 24", search({"-b", "2026-12-05 24:00"}), 1},
      {"date without time", search({"-b", "2026-12-05"}), 1},
      {"step 0", search({"-s", "0:00"}), 1},
      {"step of 60 minutes", search({"-s", "0:60"}), 1},
      {"step beyond any number", search({"-s", "99999999999999999999:00"}), 1},
      {"begin after end", search({"-b", "2026-12-06 00:00", "-e", "2026-12-05 00:00"}), 1},
      {"year after the tables", search({"-b", "2101-01-01 00:00", "-e", "2101-01-02 00:00"}), 1},
      {"UTC end past the tables", search({"-b", "2100-12-31 12:00", "-e", "2100-12-31 23:00"}), 1},
      {"subordinate at the end",
       {"-mm", "-l", "Admiralty Head", "-b", "2100-12-31 15:45", "-e", "2100-12-31 16:00"},
       1},
  };
  for (const auto& bad : cases)
    expectOneLineFailure(runTide(bad.arguments), bad.what, bad.status, bad.says);
}

TEST(Databases, UnusableHarmonicsFilesAreRefusedInBothModesAndGoodOnesListed) {
  char name[] = "/tmp/tide-bad-db-XXXXXX";
  const std::string folder = mkdtemp(name);
  const std::string whole = tidetest::readFile(databasePath);
  const auto write = [&](const std::string& file, const std::string& contents) {
    std::ofstream(folder + "/" + file, std::ios::binary) << contents;
    return folder + "/" + file;
  };
  // The header still vouches for the file; the database library trips over the records.
  std::string damaged = whole;
  for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 4096; ++i)
    damaged[i] = static_cast<char>(~damaged[i]);
  // A header that does not say how long the file is cannot be trusted.
  std::string noLength = whole;
  noLength.replace(noLength.find("[END OF FILE]"), 5, "[NONE");
  const struct {
    const char* what;
    std::optional<std::string> hfilePath;
    const char* says;
  } cases[] = {
      {"HFILE_PATH not set", std::nullopt, "HFILE_PATH"},
      {"HFILE_PATH empty", "", "HFILE_PATH"},
      {"missing file", folder + "/missing.tcd", "No such file"},
      {"folder", folder, "not a file"},
      {"empty file", write("empty.tcd", ""), "is empty"},
      {"text database",
       write("harmonics.txt", "# Harmonic constants\nSeattle\n+7:00 :US/Pacific\n"),
       "not a harmonics database"},
      {"cut header", write("cut1.tcd", whole.substr(0, 1000)), "not a harmonics database"},
      {"cut stations", write("cut2.tcd", whole.substr(0, whole.size() / 2)), "truncated"},
      {"header without the length", write("nolength.tcd", noLength), "not a harmonics database"},
      {"damaged station records", write("damaged.tcd", damaged), ""},
      {"second of two files bad", databasePath + ":" + folder + "/missing.tcd", "No such file"},
  };
  const std::vector<std::string> list = {"-ml"},
                                 hour =
                                     search({"-b", "2026-12-05 00:00", "-e", "2026-12-05 01:00"});
  for (const auto& c : cases)
    for (const auto& arguments : {list, hour})
      expectOneLineFailure(runTide(arguments, c.hfilePath), c.what, 1, c.says);
  // Good ones: two databases list every station twice, and a folder whose name
  // holds a colon does not split a database's path.
  const std::string colon = folder + "/tides:2026";
  std::filesystem::create_directory(colon);
  std::filesystem::create_symlink(databasePath, colon + "/harmonics.tcd");
  for (const auto& [path, stations] :
       {std::pair(databasePath + ":" + databasePath, 2 * 5407), {colon + "/harmonics.tcd", 5407}}) {
    const auto result = runTide({"-ml"}, path);
    EXPECT_EQ(std::pair(result.status, tidetest::lines(result.out).size()),
              std::pair(0, std::size_t(2 + stations)))
        << path << ": " << result.err;
  }
  std::filesystem::remove_all(folder);
}

} // namespace
