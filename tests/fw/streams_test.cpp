#include "fw/BinaryStream.h"
#include "fw/FolderItem.h"
#include "fw/TextInputStream.h"
#include "fw/Yield.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using fw::FolderItem;
namespace fs = std::filesystem;

class StreamsTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fwcore-streams-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }

  FolderItem item(const std::string& name) const { return FolderItem((scratch_ / name).string()); }

  std::string contents(const std::string& name) const {
    std::ifstream file(scratch_ / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }

  void put(const std::string& name, const std::string& bytes) const {
    std::ofstream(scratch_ / name, std::ios::binary) << bytes;
  }

  // Everything in the scratch folder, to catch leftover temporary files.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(scratch_))
      found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }

  std::string written(const std::function<void(fw::BinaryStream&)>& write) {
    auto stream = item("out").CreateBinaryFile("tidesearch");
    EXPECT_TRUE(stream);
    if (!stream)
      return {};
    write(*stream);
    EXPECT_TRUE(stream->Close());
    return contents("out");
  }

  fs::path scratch_;
};

TEST_F(StreamsTest, Longs_AreBigEndian) {
  const struct {
    std::int32_t value;
    const char* bytes;
  } cases[] = {
      {0, "\x00\x00\x00\x00"},       {1, "\x00\x00\x00\x01"},
      {-1, "\xFF\xFF\xFF\xFF"},      {0x12345678, "\x12\x34\x56\x78"},
      {INT_MIN, "\x80\x00\x00\x00"}, {INT_MAX, "\x7F\xFF\xFF\xFF"},
      {-2, "\xFF\xFF\xFF\xFE"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(written([&](fw::BinaryStream& s) { s.WriteLong(c.value); }), std::string(c.bytes, 4))
        << c.value;
    auto in = item("out").OpenAsBinaryFile();
    ASSERT_TRUE(in);
    EXPECT_EQ(in->ReadLong(), c.value);
    EXPECT_TRUE(in->EndOfFile());
  }
}

TEST_F(StreamsTest, PStrings_AreCutOnACharacterBoundary) {
  const std::string wave = "\xF0\x9F\x8C\x8A"; // four bytes
  const std::string accent = "\xC3\xA9";       // two bytes
  const struct {
    std::string text;
    std::size_t keptBytes;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {std::string(255, 'a'), 255},
      {std::string(256, 'a'), 255},
      {std::string(253, 'a') + accent, 255},
      {std::string(254, 'a') + accent, 254},
      {std::string(251, 'a') + wave, 255},
      {std::string(252, 'a') + wave, 252},
      {std::string(254, 'a') + wave, 254},
      {std::string(300, 'a') + wave, 255},
      {std::string(255, '\x80'), 255}, // not UTF-8 at all: the plain cut
  };
  for (const auto& c : cases) {
    const std::string bytes = written([&](fw::BinaryStream& s) { s.WritePString(c.text); });
    ASSERT_EQ(bytes.size(), c.keptBytes + 1) << c.text.size();
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), c.keptBytes);
    EXPECT_EQ(bytes.substr(1), c.text.substr(0, c.keptBytes));
    auto in = item("out").OpenAsBinaryFile();
    ASSERT_TRUE(in);
    EXPECT_EQ(in->ReadPString(), c.text.substr(0, c.keptBytes));
  }
}

TEST_F(StreamsTest, Reading_PastTheEndGivesZeroAndEmpty) {
  const struct {
    const char* what;
    std::string bytes;
    std::int32_t firstLong;
    std::string thenString;
  } cases[] = {
      {"empty file", "", 0, ""},
      {"three bytes", "\x01\x02\x03", 0, ""},
      {"long then nothing", std::string("\x00\x00\x01\x00", 4), 256, ""},
      {"string shorter than its length",
       std::string("\x00\x00\x00\x07\x0A"
                   "abcd",
                   9),
       7, ""},
      {"length byte only", std::string("\x00\x00\x00\x02\x05", 5), 2, ""},
      {"whole string",
       std::string("\x00\x00\x00\x02\x02"
                   "hi",
                   7),
       2, "hi"},
  };
  for (const auto& c : cases) {
    put("in", c.bytes);
    auto in = item("in").OpenAsBinaryFile();
    ASSERT_TRUE(in) << c.what;
    EXPECT_EQ(in->ReadLong(), c.firstLong) << c.what;
    EXPECT_EQ(in->ReadPString(), c.thenString) << c.what;
    EXPECT_TRUE(in->EndOfFile()) << c.what;
    EXPECT_EQ(in->ReadLong(), 0) << c.what;
    EXPECT_EQ(in->ReadPString(), "") << c.what;
    EXPECT_TRUE(in->Close()) << c.what;
  }
}

TEST_F(StreamsTest, SavedRecord_RoundTrips) {
  const std::string place = "Bahía Blanca, Argentina";
  written([&](fw::BinaryStream& s) {
    s.WriteLong(2);
    s.WritePString(place);
    s.WritePString("");
    s.WritePString("/usr/share/xtide/harmonics.tcd");
  });
  auto in = item("out").OpenAsBinaryFile();
  ASSERT_TRUE(in);
  EXPECT_FALSE(in->EndOfFile());
  EXPECT_EQ(in->ReadLong(), 2);
  EXPECT_EQ(in->ReadPString(), place);
  EXPECT_EQ(in->ReadPString(), "");
  EXPECT_EQ(in->ReadPString(), "/usr/share/xtide/harmonics.tcd");
  EXPECT_TRUE(in->EndOfFile());
}

TEST_F(StreamsTest, CreateBinaryFile_ReplacesOnlyOnClose) {
  put("out", "OLD");
  ASSERT_EQ(chmod(item("out").AbsolutePath().c_str(), 0640), 0);
  {
    auto stream = item("out").CreateBinaryFile();
    ASSERT_TRUE(stream);
    stream->WriteLong(7);
    EXPECT_EQ(contents("out"), "OLD");
    // Destroyed without Close, as when a save is abandoned.
  }
  EXPECT_EQ(contents("out"), "OLD");
  EXPECT_EQ(names(), std::vector<std::string>{"out"});

  auto stream = item("out").CreateBinaryFile();
  ASSERT_TRUE(stream);
  stream->WriteLong(7);
  EXPECT_TRUE(stream->Close());
  EXPECT_EQ(contents("out"), std::string("\x00\x00\x00\x07", 4));
  EXPECT_EQ(names(), std::vector<std::string>{"out"});
  struct stat info {};
  ASSERT_EQ(stat(item("out").AbsolutePath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u) << "a replaced file keeps its permissions";
  // Writing after Close is a failure, not a silent loss.
  stream->WriteLong(1);
  EXPECT_TRUE(stream->WriteError());
}

TEST_F(StreamsTest, CreateBinaryFile_FailedWriteKeepsTheOldFile) {
  put("out", "OLD");
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
  auto stream = item("out").CreateBinaryFile();
  ASSERT_TRUE(stream);
  struct rlimit tiny = saved;
  tiny.rlim_cur = 16; // the disk is "full" after 16 bytes
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  for (int i = 0; i < 100; ++i)
    stream->WritePString("more than the disk will take");
  const bool closed = stream->Close();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedSignal);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(stream->WriteError());
  EXPECT_EQ(contents("out"), "OLD");
  EXPECT_EQ(names(), std::vector<std::string>{"out"});
}

TEST_F(StreamsTest, CreateBinaryFile_NeverWritesThroughALink) {
  put("elsewhere", "KEEP");
  fs::create_symlink(scratch_ / "elsewhere", scratch_ / "out");
  written([](fw::BinaryStream& s) { s.WritePString("new"); });
  EXPECT_EQ(contents("elsewhere"), "KEEP");
  EXPECT_FALSE(fs::is_symlink(scratch_ / "out"));
  EXPECT_EQ(contents("out"), "\x03new");
}

TEST_F(StreamsTest, CreateBinaryFile_NilWhenTheFileCannotBeMade) {
  fs::create_directory(scratch_ / "folder");
  EXPECT_FALSE(item("missing/out").CreateBinaryFile());
  EXPECT_FALSE(item("folder").CreateBinaryFile());
  EXPECT_FALSE(FolderItem("/proc/halvorn-cannot-write-here").CreateBinaryFile());
  EXPECT_TRUE(fs::is_directory(scratch_ / "folder"));
}

TEST_F(StreamsTest, OpenAsBinaryFile_NilWhenItCannotOpen) {
  fs::create_directory(scratch_ / "folder");
  ASSERT_EQ(mkfifo(item("fifo").AbsolutePath().c_str(), 0600), 0);
  EXPECT_FALSE(item("missing").OpenAsBinaryFile());
  EXPECT_FALSE(item("folder").OpenAsBinaryFile());
  EXPECT_FALSE(item("folder").OpenAsBinaryFile(true));
  EXPECT_FALSE(item("fifo").OpenAsBinaryFile()) << "must neither hang nor read a pipe";
  if (geteuid() != 0) {
    put("secret", "x");
    chmod(item("secret").AbsolutePath().c_str(), 0);
    EXPECT_FALSE(item("secret").OpenAsBinaryFile());
  }
}

TEST_F(StreamsTest, OpenAsBinaryFile_ReadWriteOverwritesWhereReadingStopped) {
  put("rw", std::string("\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00\x03", 12));
  auto stream = item("rw").OpenAsBinaryFile(true);
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->ReadLong(), 1);
  stream->WriteLong(9);
  EXPECT_EQ(stream->ReadLong(), 3);
  EXPECT_TRUE(stream->Close());
  EXPECT_EQ(contents("rw"), std::string("\x00\x00\x00\x01\x00\x00\x00\x09\x00\x00\x00\x03", 12));

  auto readOnly = item("rw").OpenAsBinaryFile();
  ASSERT_TRUE(readOnly);
  readOnly->WriteLong(5);
  EXPECT_TRUE(readOnly->WriteError());
}

TEST_F(StreamsTest, TextInputStream_ReadsTheBytesAsTheyAre) {
  const std::string bytes("line 1\r\nline 2\rBah\xED"
                          "a\x00 end",
                          25);
  put("text", bytes);
  auto stream = fw::TextInputStream::Open(item("text"));
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->ReadAll(), bytes);
  EXPECT_EQ(stream->ReadAll(), "");
  stream->Close();

  put("empty", "");
  EXPECT_EQ(fw::TextInputStream::Open(item("empty"))->ReadAll(), "");
}

TEST_F(StreamsTest, TextInputStream_ThrowsWhenItCannotOpen) {
  fs::create_directory(scratch_ / "folder");
  ASSERT_EQ(mkfifo(item("fifo").AbsolutePath().c_str(), 0600), 0);
  for (const char* name : {"missing", "folder", "fifo"})
    EXPECT_THROW(fw::TextInputStream::Open(item(name)), fw::IOException) << name;
}

TEST(Yield, NeverDispatchesAnEvent) {
  bool ran = false;
  QObject context; // takes undelivered events with it
  QTimer::singleShot(0, &context, [&ran] { ran = true; });
  QMetaObject::invokeMethod(
      &context, [&ran] { ran = true; }, Qt::QueuedConnection);
  for (int i = 0; i < 1000; ++i)
    fw::yield();
  EXPECT_FALSE(ran);
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran) << "the events were there to be dispatched";
}

} // namespace
