#pragma once
// List mode: a heading with the time of the listing, an empty line, then one
// line per station: its list name in 51 columns, "Ref" or "Sub", and where it is.

#include "predictor/CivilTime.h"
#include "predictor/StationHeader.h"

#include <string>
#include <vector>

namespace tide {

class OutputSink;

class ListWriter {
public:
  static bool write(OutputSink& sink, const std::vector<StationHeader>& stations, Seconds now);
  static void appendHeading(std::string& out, Seconds now);
  static void appendStation(std::string& out, const StationHeader& station);
};

} // namespace tide
