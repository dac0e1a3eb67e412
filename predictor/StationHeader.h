#pragma once
// What list mode and the station lookup know of a station without reading its record.

#include <string>

namespace tide {

struct StationHeader {
  std::string name; // UTF-8
  std::string listName;
  bool reference = true;
  double latitude = 0;
  double longitude = 0;
  int file = 0;   // which database of HFILE_PATH
  int record = 0; // record number in that database
};

} // namespace tide
