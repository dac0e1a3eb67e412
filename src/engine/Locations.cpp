#include "engine/Locations.h"

void Locations::DeleteAll() {
  nlocations = 0;
}

void Locations::AddLocation(const std::string& name) {
  const auto n = static_cast<std::size_t>(nlocations);
  // resize rather than push_back: the first name drops the two placeholders, so
  // the array's upper bound is always nlocations - 1 afterwards.
  location.resize(n + 1);
  location[n] = name;
  nlocations = static_cast<std::int32_t>(n + 1);
}
