#include "predictor/HarmonicsDatabase.h"

#include "predictor/DatabaseFile.h"
#include "predictor/LibraryCall.h"
#include "predictor/Text.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <tcd.h>

namespace tide {

namespace {

constexpr int hhmmHundred = 100;
constexpr double minutesPerHour = 60.0;

// Offsets are stored as hours × 100 + minutes, the sign applying to both.
Seconds hhmmToSeconds(int hhmm) {
  const int magnitude = std::abs(hhmm);
  const Seconds seconds =
      (magnitude / hhmmHundred) * secondsPerHour + (magnitude % hhmmHundred) * secondsPerMinute;
  return hhmm < 0 ? -seconds : seconds;
}

std::optional<Seconds> slackOffset(int hhmm) {
  if (hhmm == NULLSLACKOFFSET)
    return std::nullopt;
  return hhmmToSeconds(hhmm);
}

double hhmmToHours(int hhmm) {
  const int magnitude = std::abs(hhmm);
  const double hours = magnitude / hhmmHundred + (magnitude % hhmmHundred) / minutesPerHour;
  return hhmm < 0 ? -hours : hours;
}

Units unitsNamed(std::string_view name) {
  if (name == "feet")
    return Units::feet;
  if (name == "meters")
    return Units::meters;
  if (name == "knots")
    return Units::knots;
  if (name == "knots^2")
    return Units::knotsSquared;
  return Units::unknown;
}

// A stored multiplier of 0 means "none given".
double multiplier(float stored) {
  return stored == 0.0F ? 1.0 : stored;
}

} // namespace

HarmonicsDatabase::~HarmonicsDatabase() {
  close();
}

void HarmonicsDatabase::close() {
  if (open_)
    close_tide_db();
  open_ = false;
  fileIndex_ = -1;
  headers_.clear();
}

std::optional<Failure> HarmonicsDatabase::open(const std::string& path, int fileIndex) {
  close();
  if (auto failure = DatabaseFile::check(path))
    return failure;
  LibraryCall call(path);
  std::string name = path;
  if (!open_tide_db(name.data()))
    return Failure{"cannot read " + printable(path) + " as a harmonics database"};
  open_ = true;
  path_ = path;
  fileIndex_ = fileIndex;
  const DB_HEADER_PUBLIC header = get_tide_db_header();
  firstYear_ = header.start_year;
  yearCount_ = static_cast<int>(header.number_of_years);
  constituentCount_ = static_cast<int>(header.constituents);
  zoneCount_ = static_cast<int>(header.tzfiles);
  if (auto failure = readHeaders(fileIndex)) {
    close();
    return failure;
  }
  return std::nullopt;
}

Failure HarmonicsDatabase::damaged(int record) const {
  return Failure{printable(path_) + " is damaged (station record " + std::to_string(record) + ")"};
}

std::optional<Failure> HarmonicsDatabase::readHeaders(int fileIndex) {
  const DB_HEADER_PUBLIC header = get_tide_db_header();
  const int count = static_cast<int>(header.number_of_records);
  // Subordinate stations name their reference by record number; check those
  // once every record's type is known.
  std::vector<std::pair<int, int>> references;
  headers_.reserve(count);
  TIDE_STATION_HEADER h{};
  for (int i = 0; i < count; ++i) {
    const bool read = get_partial_tide_record(i, &h);
    const bool reference = h.record_type == REFERENCE_STATION;
    const bool subordinate = h.record_type == SUBORDINATE_STATION;
    if (!read || h.record_size == 0 || (!reference && !subordinate) || h.tzfile < 0 ||
        h.tzfile >= zoneCount_ ||
        (subordinate && (h.reference_station < 0 || h.reference_station >= count)))
      return damaged(i);
    if (subordinate)
      references.emplace_back(i, h.reference_station);
    StationHeader station;
    station.name = latin1ToUtf8(std::string_view(h.name, strnlen(h.name, sizeof h.name)));
    station.reference = reference;
    station.latitude = h.latitude;
    station.longitude = h.longitude;
    station.file = fileIndex;
    station.record = i;
    headers_.push_back(std::move(station));
  }
  for (const auto& [station, reference] : references)
    if (!headers_[reference].reference)
      return damaged(station);
  return std::nullopt;
}

std::optional<StationRecord> HarmonicsDatabase::station(int record) const {
  if (!open_ || record < 0 || record >= static_cast<int>(headers_.size()))
    return std::nullopt;
  auto raw = std::make_unique<TIDE_RECORD>();
  {
    LibraryCall call(path_);
    if (read_tide_record(record, raw.get()) != record)
      return std::nullopt;
  }
  StationRecord station;
  station.name = headers_[record].name;
  station.zone = get_tzfile(raw->header.tzfile);
  station.units = unitsNamed(get_level_units(raw->level_units));
  station.reference = raw->header.record_type == REFERENCE_STATION;
  if (!station.reference) {
    station.referenceRecord = raw->header.reference_station;
    SubordinateOffsets& offsets = station.offsets;
    offsets.highTime = hhmmToSeconds(raw->max_time_add);
    offsets.lowTime = hhmmToSeconds(raw->min_time_add);
    offsets.highMultiply = multiplier(raw->max_level_multiply);
    offsets.lowMultiply = multiplier(raw->min_level_multiply);
    offsets.highAdd = raw->max_level_add;
    offsets.lowAdd = raw->min_level_add;
    offsets.floodBegins = slackOffset(raw->flood_begins);
    offsets.ebbBegins = slackOffset(raw->ebb_begins);
    return station;
  }
  station.datum = raw->datum_offset;
  const double meridianHours = hhmmToHours(raw->zone_offset);
  for (int c = 0; c < constituentCount_ && c < MAX_CONSTITUENTS; ++c) {
    if (raw->amplitude[c] == 0.0F)
      continue;
    // Epochs are given for the station's standard meridian; moving them to
    // Greenwich lets every argument run on hours of UTC.
    const double phase = raw->epoch[c] - speedDegreesPerHour(c) * meridianHours;
    station.constituents.push_back(Constituent{c, raw->amplitude[c], phase});
  }
  return station;
}

double HarmonicsDatabase::speedDegreesPerHour(int constituent) const {
  return get_speed(constituent);
}

double HarmonicsDatabase::nodeFactor(int constituent, int year) const {
  return get_node_factor(constituent, year - firstYear_);
}

double HarmonicsDatabase::equilibriumDegrees(int constituent, int year) const {
  return get_equilibrium(constituent, year - firstYear_);
}

} // namespace tide
