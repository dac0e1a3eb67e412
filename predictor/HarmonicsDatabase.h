#pragma once
// The open harmonics database, read through libtcd. The library holds one open
// database per process in its own globals, so there is one HarmonicsDatabase
// at a time; opening another file closes the previous one.

#include "predictor/Failure.h"
#include "predictor/StationHeader.h"
#include "predictor/StationRecord.h"

#include <optional>
#include <string>
#include <vector>

namespace tide {

class HarmonicsDatabase {
public:
  HarmonicsDatabase() = default;
  HarmonicsDatabase(const HarmonicsDatabase&) = delete;
  HarmonicsDatabase& operator=(const HarmonicsDatabase&) = delete;
  ~HarmonicsDatabase();

  // Checks and opens `path`, and reads every station's header.
  std::optional<Failure> open(const std::string& path, int fileIndex = 0);
  const std::string& path() const { return path_; }
  int fileIndex() const { return fileIndex_; }
  const std::vector<StationHeader>& headers() const { return headers_; }

  std::optional<StationRecord> station(int record) const;

  int firstYear() const { return firstYear_; }
  int lastYear() const { return firstYear_ + yearCount_ - 1; }
  double speedDegreesPerHour(int constituent) const;
  double nodeFactor(int constituent, int year) const;
  double equilibriumDegrees(int constituent, int year) const;

private:
  std::optional<Failure> readHeaders(int fileIndex);
  Failure damaged(int record) const;
  void close();

  std::string path_;
  bool open_ = false;
  int fileIndex_ = -1;
  int firstYear_ = 0;
  int yearCount_ = 0;
  int constituentCount_ = 0;
  int zoneCount_ = 0;
  std::vector<StationHeader> headers_;
};

} // namespace tide
