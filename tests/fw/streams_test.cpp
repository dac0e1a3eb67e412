#include "AsNobody.h"
#include "FullDisk.h"
#include "fw/BinaryStream.h"
#include "fw/FolderItem.h"
#include "fw/TextInputStream.h"
#include "fw/Yield.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <climits>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <tuple>

namespace {

using fw::FolderItem;
using namespace std::string_literals;
namespace fs = std::filesystem;

class StreamsTest : public ::testing::Test {
protected:
  std::string path(const std::string& name) const { return dir + "/" + name; }
  FolderItem item(const std::string& name) const { return FolderItem(path(name)); }
  std::string contents(const std::string& name) const {
    std::ifstream file(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }
  void put(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }

  QTemporaryDir scratch;
  const std::string dir = scratch.path().toStdString();
};

TEST_F(StreamsTest, LongsAreBigEndianAndPStringsKeepWholeCharactersWithin255Bytes) {
  const std::string wave = "\xF0\x9F\x8C\x8A", accent = "\xC3\xA9";
  const std::tuple<std::int32_t, std::string, std::string, std::size_t> cases[] = {
      {1, "\0\0\0\1"s, "", 0},
      {0x12345678, "\x12\x34\x56\x78"s, std::string(253, 'a') + accent, 255},
      {INT_MIN, "\x80\0\0\0"s, std::string(254, 'a') + accent, 254},
      {INT_MAX, "\x7F\xFF\xFF\xFF"s, std::string(252, 'a') + wave, 252},
      {-1, "\xFF\xFF\xFF\xFF"s, std::string(300, '\x80'), 255}, // not UTF-8: the plain cut
  };
  for (const auto& [value, longBytes, text, kept] : cases) {
    auto out = item("out").CreateBinaryFile("tidesearch");
    out->WriteLong(value);
    out->WritePString(text);
    ASSERT_TRUE(out->Close());
    EXPECT_EQ(contents("out"), longBytes + static_cast<char>(kept) + text.substr(0, kept));
    auto in = item("out").OpenAsBinaryFile();
    EXPECT_EQ(in->ReadLong(), value);
    EXPECT_EQ(in->ReadPString(), text.substr(0, kept));
    EXPECT_TRUE(in->EndOfFile());
  }
}

TEST_F(StreamsTest, CreateBinaryFile_ReplacesTheFileOnlyOnCloseAndWritesWhereLinksLead) {
  put("out", "OLD");
  ASSERT_EQ(chmod(path("out").c_str(), 0640), 0);
  item("out").CreateBinaryFile()->WriteLong(6); // abandoned without Close
  auto stream = item("out").CreateBinaryFile();
  stream->WriteLong(7);
  EXPECT_TRUE(stream->Close());
  EXPECT_EQ(contents("out"), "\0\0\0\7"s);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1) << "a temporary file left over";
  EXPECT_EQ(fs::status(path("out")).permissions(), fs::perms(0640)) << "a replaced file's";
  // Links stay links, a relative target read from the link's folder. Rows: the
  // name saved, the target of a link made there first, the file written.
  fs::create_directory(path("shared"));
  const std::string longest = std::string(253, 'a') + "\xC3\xA9"; // NAME_MAX bytes
  const std::tuple<std::string, std::string, std::string> saves[] = {
      {"link", "shared/real", "shared/real"}, // made, as its folder exists
      {"chain", path("link"), "shared/real"},
      {"shared/up", "../out", "out"},
      {longest, "", longest},
  };
  for (const auto& [name, target, written] : saves) {
    SCOPED_TRACE(name);
    if (!target.empty())
      fs::create_symlink(target, path(name));
    stream = item(name).CreateBinaryFile();
    ASSERT_TRUE(stream);
    stream->WritePString(name);
    EXPECT_TRUE(stream->Close());
    EXPECT_EQ(std::pair(contents(written), fs::is_symlink(path(name))),
              std::pair(static_cast<char>(name.size()) + name, !target.empty()));
  }
  // A device takes the bytes and stays a device (where the file system lets one be made and used).
  if (::mknod(path("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0 &&
      std::ofstream(path("null")).good()) {
    stream = item("null").CreateBinaryFile();
    EXPECT_TRUE(stream && (stream->WriteLong(7), stream->Close()));
    EXPECT_TRUE(fs::is_character_file(path("null")));
  }
}

// Root writes in any folder, so the test runs as nobody. Written in place: a file in a folder
// that takes no new file, one with a second name, one of another user's (where root can make it).
TEST_F(StreamsTest, CreateBinaryFile_KeepsWhatAFileIsWhoOwnsItAndItsOtherNames) {
  fs::create_directories(path("own/locked"));
  for (const char* name : {"own/locked/out", "own/linked", "own/readonly", "theirs"})
    put(name, "OLD");
  fs::create_hard_link(path("own/linked"), path("own/other"));
  fs::permissions(path("own/readonly"), fs::perms(0444));
  fs::permissions(path("own/locked"), fs::perms(0555));
  fs::permissions(dir, fs::perms(0775)); // root's group, which nobody keeps, may write there
  fs::permissions(path("theirs"), fs::perms(0664));
  std::vector<std::string> inPlace = {"own/locked/out", "own/linked"};
  if (::geteuid() == 0 && ::chown(path("theirs").c_str(), 1, 0) == 0)
    inPlace.push_back("theirs");
  {
    AsNobody unprivileged(path("own"));
    for (const std::string& name : inPlace) {
      SCOPED_TRACE(name);
      auto stream = item(name).CreateBinaryFile();
      ASSERT_TRUE(stream);
      item(name).CreateBinaryFile()->WriteLong(6); // abandoned without Close
      stream->WriteLong(7);
      stream->WritePString("longer");
      // A write that fails on the way (a full disk) puts the old content back.
      const bool written = (FullDisk(4), stream->Close());
      EXPECT_EQ(std::pair(written, contents(name)), std::pair(false, "OLD"s));
      stream = item(name).CreateBinaryFile();
      stream->WriteLong(7);
      EXPECT_TRUE(stream->Close());
      EXPECT_EQ(contents(name), "\0\0\0\7"s);
    }
    // A file the user may not write is refused, though its folder would take a new one.
    EXPECT_FALSE(item("own/readonly").CreateBinaryFile());
  }
  fs::permissions(path("own/locked"), fs::perms(0755));
  EXPECT_EQ(std::tuple(contents("own/other"), contents("own/readonly")),
            std::tuple("\0\0\0\7"s, "OLD"s));
  const std::pair<const char*, int> filesLeft[] = {{"", 2}, {"own", 4}, {"own/locked", 1}};
  for (const auto& [folder, files] : filesLeft) // and no backup beside them
    EXPECT_EQ(std::distance(fs::directory_iterator(path(folder)), {}), files) << folder;
  struct stat info {};
  if (inPlace.size() == 3 && ::stat(path("theirs").c_str(), &info) == 0) {
    EXPECT_EQ(std::tuple(info.st_uid, info.st_gid, info.st_mode & 07777),
              std::tuple(1u, 0u, 0664u));
  }
}

// Binary files that cannot be opened are the saved-search and preferences tests' rows.
TEST_F(StreamsTest, TextIsReadAsItsBytesAndFilesThatCannotBeMadeOrOpenedGiveNilOrThrow) {
  const std::string bytes = "line 1\r\nline 2\rBah\xED"
                            "a\0 end"s;
  put("text", bytes);
  EXPECT_EQ(fw::TextInputStream::Open(item("text"))->ReadAll(), bytes);
  fs::create_directory(path("folder"));
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
  fs::create_symlink("missing/out", path("lost"));
  fs::create_symlink("loop", path("loop"));
  // Only root can plant another user's link in a folder anyone may write (as in /tmp).
  fs::create_directory(path("sticky"));
  fs::permissions(path("sticky"), fs::perms(01777));
  fs::create_symlink("../text", path("sticky/planted"));
  const bool planted =
      ::geteuid() == 0 && ::lchown(path("sticky/planted").c_str(), 65534, 65534) == 0;
  fs::create_symlink("fifo", path("pipe"));
  for (const char* name :
       {"missing/out", "lost", "loop", "pipe", "fifo", planted ? "sticky/planted" : "loop"})
    EXPECT_FALSE(item(name).CreateBinaryFile()) << name;
  EXPECT_TRUE(fs::is_fifo(path("fifo")));
  // A pipe must neither hang the reader nor be read.
  for (const char* name : {"missing", "folder", "fifo"})
    EXPECT_THROW(fw::TextInputStream::Open(item(name)), fw::IOException) << name;
}

TEST(Yield, NeverDispatchesAnEvent) {
  bool ran = false;
  QObject context; // takes undelivered events with it
  QTimer::singleShot(0, &context, [&ran] { ran = true; });
  for (int i = 0; i < 1000; ++i)
    fw::yield();
  EXPECT_FALSE(ran);
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran) << "the event was there to be dispatched";
}

} // namespace
