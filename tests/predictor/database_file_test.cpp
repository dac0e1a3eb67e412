// A harmonics file is checked before the database library reads it.

#include "TideRun.h"
#include "predictor/DatabaseFile.h"
#include "predictor/HarmonicsDatabase.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using tide::DatabaseFile;

namespace {

class DatabaseFileCheck : public ::testing::Test {
protected:
  void SetUp() override {
    char name[] = "/tmp/tide-db-check-XXXXXX";
    folder_ = mkdtemp(name);
    whole_ = tidetest::readFile(tidetest::databasePath);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string write(const std::string& contents) {
    const std::string path = folder_ + "/file" + std::to_string(++count_) + ".tcd";
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }
  std::string message(const std::string& path) {
    const auto failure = DatabaseFile::check(path);
    return failure ? failure->message : "";
  }

  std::string folder_;
  std::string whole_;
  int count_ = 0;
};

TEST_F(DatabaseFileCheck, TheWholeDatabasePassesAndOpens) {
  EXPECT_EQ(DatabaseFile::check(tidetest::databasePath), std::nullopt);
  tide::HarmonicsDatabase database;
  ASSERT_EQ(database.open(tidetest::databasePath), std::nullopt);
  EXPECT_EQ(database.headers().size(), 5407u);
  EXPECT_EQ(database.firstYear(), 1700);
  EXPECT_EQ(database.lastYear(), 2100);
}

TEST_F(DatabaseFileCheck, EachWayOfBeingWrongIsNamed) {
  EXPECT_NE(message(folder_ + "/none.tcd").find("No such file"), std::string::npos);
  EXPECT_NE(message(folder_).find("not a file"), std::string::npos);
  EXPECT_NE(message(write("")).find("is empty"), std::string::npos);
  EXPECT_NE(message(write("Seattle\n")).find("not a harmonics database"), std::string::npos);
  for (const std::size_t cut : {std::size_t{20}, std::size_t{4096}, whole_.size() - 1})
    EXPECT_NE(
        message(write(whole_.substr(0, cut))).find(cut < 4096 ? "not a harmonics" : "truncated"),
        std::string::npos)
        << cut;
  // A header that does not say how long the file is cannot be trusted.
  std::string noLength = whole_;
  const std::size_t key = noLength.find("[END OF FILE]");
  ASSERT_NE(key, std::string::npos);
  noLength.replace(key, 5, "[NONE");
  EXPECT_NE(message(write(noLength)).find("not a harmonics database"), std::string::npos);
}

} // namespace
