#pragma once
// A window's copy of a place list. Readers bound their loops by nlocations: a
// new list's array holds two empty entries that are not names.

#include <cstdint>
#include <string>
#include <vector>

class Locations {
public:
  std::int32_t nlocations = 0;
  std::vector<std::string> location = std::vector<std::string>(2);

  // Forgets the names without shrinking the array; the next AddLocation does.
  void DeleteAll();
  void AddLocation(const std::string& name);
};
