#include "engine/Locations.h"

#include <gtest/gtest.h>

TEST(Locations, UpperBoundIsCountMinusOneOnceANameIsAdded) {
  Locations list;
  EXPECT_EQ(list.nlocations, 0);
  EXPECT_EQ(list.location.size(), 2u); // placeholders, no names
  list.AddLocation("Seattle");
  EXPECT_EQ(list.location, std::vector<std::string>{"Seattle"});
  list.AddLocation("Tacoma");
  list.AddLocation("Seattle");
  EXPECT_EQ(list.location, (std::vector<std::string>{"Seattle", "Tacoma", "Seattle"}));
  EXPECT_EQ(list.nlocations, 3);
}
