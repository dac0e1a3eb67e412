#pragma once
// A high or low water (for currents: a maximum flood or ebb).

namespace tide {

struct TideEvent {
  double time = 0; // seconds since 1970, UTC
  double level = 0;
  bool high = false;
};

} // namespace tide
