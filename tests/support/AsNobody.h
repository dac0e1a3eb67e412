#pragma once
// Root enters and writes any folder, so a test of what permissions refuse gives
// its folders to nobody and becomes nobody until the end of the scope (the
// saved id lets it back). Their group stays root's, which nobody keeps, as a
// user's files have the group it runs with. As an ordinary user it changes nothing.

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

struct AsNobody {
  bool dropped = false;
  explicit AsNobody(const std::filesystem::path& tree) {
    if (::geteuid() != 0)
      return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree))
      EXPECT_EQ(::lchown(entry.path().c_str(), 65534, -1), 0) << entry.path();
    EXPECT_EQ(::chown(tree.c_str(), 65534, -1), 0);
    EXPECT_TRUE(dropped = ::setresuid(65534, 65534, 0) == 0);
  }
  ~AsNobody() { EXPECT_TRUE(!dropped || ::setresuid(0, 0, 0) == 0); }
};
