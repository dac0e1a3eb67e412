#include "predictor/ListWriter.h"

#include "predictor/FixedDecimal.h"
#include "predictor/ListNames.h"
#include "predictor/OutputSink.h"
#include "predictor/SampleWriter.h"
#include "predictor/Text.h"

#include <cmath>

namespace tide {

namespace {

constexpr int coordinateDecimals = 4;
constexpr std::string_view degreeSign = "\xC2\xB0"; // UTF-8 "°"

void appendCoordinate(std::string& out, double degrees, char positive, char negative) {
  appendFixed(out, std::fabs(degrees), coordinateDecimals);
  out.append(degreeSign);
  out.push_back(' ');
  out.push_back(degrees < 0 ? negative : positive);
}

} // namespace

void ListWriter::appendHeading(std::string& out, Seconds now) {
  out.append("Location list generated ");
  SampleWriter::appendClock(out, civilFromSeconds(now));
  out.append(" UTC\n\n");
}

void ListWriter::appendStation(std::string& out, const StationHeader& station) {
  out.append(station.listName);
  const std::size_t columns = utf8Columns(station.listName);
  if (columns < ListNames::width)
    out.append(ListNames::width - columns, ' ');
  out.append(station.reference ? " Ref" : " Sub");
  // Latitude and longitude 0, 0 is how the database says "not known".
  if (station.latitude != 0 || station.longitude != 0) {
    out.push_back(' ');
    appendCoordinate(out, station.latitude, 'N', 'S');
    out.append(", ");
    appendCoordinate(out, station.longitude, 'E', 'W');
  }
  out.push_back('\n');
}

bool ListWriter::write(OutputSink& sink, const std::vector<StationHeader>& stations, Seconds now) {
  appendHeading(sink.buffer(), now);
  for (const StationHeader& station : stations) {
    appendStation(sink.buffer(), station);
    if (!sink.lineDone())
      return false;
  }
  return sink.flush();
}

} // namespace tide
