#include "AsNobody.h"
#include "FullDisk.h"
#include "fw/BinaryStream.h"
#include "fw/FolderItem.h"
#include "fw/TextInputStream.h"
#include "fw/Yield.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <random>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
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
  // All that a save must keep of a file: its owner, group, mode and extended attributes.
  auto keeps(const std::string& name) const {
    struct stat info {};
    ::stat(path(name).c_str(), &info);
    char names[4096], value[4096];
    const ssize_t length =
        std::max<ssize_t>(::listxattr(path(name).c_str(), names, sizeof names), 0);
    std::map<std::string, std::string> attributes;
    for (const char* at = names; at < names + length; at += std::strlen(at) + 1)
      attributes[at].assign(
          value, std::max<ssize_t>(::getxattr(path(name).c_str(), at, value, sizeof value), 0));
    return std::tuple(info.st_uid, info.st_gid, info.st_mode & 07777, attributes);
  }
  // Saves `name` over and over in a child, as a search and a shorter one, and kills it at random
  // moments; counts the kills after which the file reads as neither.
  int killsLeavingNeither(const std::string& name, int kills) const {
    const std::string searches[] = {std::string(200, 'a'), std::string(50, 'b')};
    const auto save = [this, &name](const std::string& search) {
      auto stream = item(name).CreateBinaryFile();
      stream->WritePString(search);
      return stream->Close();
    };
    EXPECT_TRUE(save(searches[0]));
    std::mt19937 random(std::random_device{}());
    int neither = 0;
    for (int kill = 0; kill < kills; ++kill) {
      const pid_t saver = ::fork();
      for (int turn = 1; saver == 0; ++turn)
        save(searches[turn % 2]);
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
      ::kill(saver, SIGKILL);
      ::waitpid(saver, nullptr, 0);
      const std::string read = item(name).OpenAsBinaryFile()->ReadPString();
      neither += read != searches[0] && read != searches[1];
    }
    return neither;
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

// What a save keeps of a file it replaces or rewrites is the next test's.
TEST_F(StreamsTest, CreateBinaryFile_WritesWhereLinksLeadAndToDevicesWithoutWaiting) {
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
    auto stream = item(name).CreateBinaryFile();
    ASSERT_TRUE(stream);
    stream->WritePString(name);
    EXPECT_TRUE(stream->Close());
    EXPECT_EQ(std::pair(contents(written), fs::is_symlink(path(name))),
              std::pair(static_cast<char>(name.size()) + name, !target.empty()));
  }
  // A device takes the bytes and stays a device (where the file system lets one be made and used).
  if (::mknod(path("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0 &&
      std::ofstream(path("null")).good()) {
    auto stream = item("null").CreateBinaryFile();
    EXPECT_TRUE(stream && (stream->WriteLong(7), stream->Close()));
    EXPECT_TRUE(fs::is_character_file(path("null")));
  }
  // One that would block, a terminal whose reader has stopped, fails the save at once.
  const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
  const int filler = ::open(::ptsname(terminal), O_WRONLY | O_NOCTTY | O_NONBLOCK);
  while (::write(filler, "tide", 4) > 0) {
  }
  auto stream = FolderItem(::ptsname(terminal)).CreateBinaryFile();
  EXPECT_FALSE(stream && (stream->WriteLong(7), stream->Close()));
  ::close(filler);
  ::close(terminal);
}

// Root writes in any folder, so the test runs as nobody. Replaced: a file with one name. Written
// in place: one in a folder that takes no new file, one with a second name, one of another
// user's (where root can make it). Each keeps who owns it, its mode and its attributes, and a
// save killed at any moment leaves it reading as the old search or the new.
TEST_F(StreamsTest, CreateBinaryFile_KeepsWhatAFileIsWhoOwnsItAndItsOtherNames) {
  fs::create_directories(path("own/locked"));
  fs::create_directory(path("sticky"));
  for (const char* name :
       {"own/locked/out", "own/linked", "own/kept", "own/readonly", "theirs", "sticky/planted"})
    put(name, "OLD");
  fs::create_hard_link(path("own/linked"), path("own/other"));
  fs::permissions(path("own/readonly"), fs::perms(0444));
  fs::permissions(path("own/locked"), fs::perms(0555));
  fs::permissions(dir, fs::perms(0775)); // root's group, which nobody keeps, may write there
  fs::permissions(path("theirs"), fs::perms(0664));
  fs::permissions(path("sticky"), fs::perms(01777));
  fs::permissions(path("sticky/planted"), fs::perms(0666));
  fs::create_symlink("../own/kept", path("sticky/link"));
  std::vector<std::string> rows = {"own/locked/out", "own/linked", "own/kept"};
  // Only root can plant another user's file or link in a folder anyone may write (as in /tmp).
  const bool root = ::geteuid() == 0 && ::chown(path("theirs").c_str(), 1, 0) == 0 &&
                    ::chown(path("sticky/planted").c_str(), 1, 0) == 0 &&
                    ::lchown(path("sticky/link").c_str(), 1, 0) == 0;
  if (root)
    rows.push_back("theirs");
  {
    AsNobody unprivileged(path("own"));
    for (const std::string& name : rows) {
      SCOPED_TRACE(name);
      if (name.starts_with("own/")) { // a set-id bit, and an ACL that lets another user in
        ASSERT_EQ(::chmod(path(name).c_str(), 04700), 0);
        ASSERT_EQ(std::system(("setfacl -m u:1:rw,g::---,m::rw " + path(name)).c_str()), 0);
        ASSERT_EQ(::setxattr(path(name).c_str(), "user.origin", "here", 4, 0), 0);
      }
      const auto kept = keeps(name);
      const auto files =
          std::distance(fs::directory_iterator(fs::path(path(name)).parent_path()), {});
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
      EXPECT_EQ(keeps(name), kept);
      EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path(name)).parent_path()), {}),
                files)
          << "a backup or temporary left over";
      EXPECT_EQ(killsLeavingNeither(name, 40), 0);
    }
    // A file the user may not write is refused, though its folder would take a new one.
    EXPECT_FALSE(item("own/readonly").CreateBinaryFile());
    // Planted in a shared sticky folder, a file written into would be another user's to read,
    // and a link followed could aim the save anywhere.
    for (const char* name : {"sticky/planted", "sticky/link"})
      EXPECT_FALSE(root && item(name).CreateBinaryFile()) << name;
  }
  for (const char* name : {"sticky/planted", "sticky/link"})
    EXPECT_FALSE(root && item(name).CreateBinaryFile()) << name << ", for root too";
  fs::permissions(path("own/locked"), fs::perms(0755));
  EXPECT_EQ(std::tuple(contents("own/other"), contents("own/readonly"), contents("sticky/planted")),
            std::tuple(contents("own/linked"), "OLD"s, "OLD"s));
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
  fs::create_symlink("fifo", path("pipe"));
  for (const char* name : {"missing/out", "lost", "loop", "pipe", "fifo"})
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
