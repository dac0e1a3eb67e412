#pragma once
// A moment of a reference station's curve that subordinate stations are
// corrected at: a turning point, or for currents the start of flood or ebb.

namespace tide {

enum class EventKind {
  high,        // high water, or maximum flood
  low,         // low water, or maximum ebb
  minFlood,    // a current's turn that stays above zero
  minEbb,      // a current's turn that stays below zero
  floodBegins, // a current rising through zero
  ebbBegins,   // a current falling through zero
};

struct TideEvent {
  double time = 0; // seconds since 1970, UTC
  double level = 0;
  EventKind kind = EventKind::high;
};

} // namespace tide
