#include "engine/Locations.h"

#include <gtest/gtest.h>

TEST(Locations, NewListHoldsTwoPlaceholdersThatAreNoNames) {
  const Locations list;
  EXPECT_EQ(list.nlocations, 0);
  EXPECT_EQ(list.location.size(), 2u);
}

TEST(Locations, AddLocationKeepsUpperBoundAtCountMinusOne) {
  Locations list;
  for (const char* name : {"Seattle", "Tacoma", "Seattle"}) {
    list.AddLocation(name);
    EXPECT_EQ(list.location.size(), static_cast<std::size_t>(list.nlocations));
  }
  EXPECT_EQ(list.nlocations, 3);
  EXPECT_EQ(list.location, (std::vector<std::string>{"Seattle", "Tacoma", "Seattle"}));
}

TEST(Locations, DeleteAllKeepsArrayUntilNextAdd) {
  Locations list;
  list.AddLocation("A");
  list.AddLocation("B");
  list.AddLocation("C");
  list.DeleteAll();
  EXPECT_EQ(list.nlocations, 0);
  EXPECT_EQ(list.location.size(), 3u);
  list.AddLocation("D");
  EXPECT_EQ(list.nlocations, 1);
  EXPECT_EQ(list.location, std::vector<std::string>{"D"});
}
