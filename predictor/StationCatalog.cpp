#include "predictor/StationCatalog.h"

#include "predictor/HarmonicsDatabase.h"
#include "predictor/ListNames.h"
#include "predictor/Text.h"

#include <algorithm>
#include <sys/stat.h>
#include <tuple>

namespace tide {

std::vector<std::string> StationCatalog::pathsFrom(std::string_view hfilePath) {
  // A folder may have a colon in its name: a whole value that names a file is
  // that file.
  struct stat info {};
  const std::string whole(hfilePath);
  if (!whole.empty() && ::stat(whole.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    return {whole};
  std::vector<std::string> paths;
  std::size_t pos = 0;
  while (pos <= hfilePath.size()) {
    std::size_t colon = hfilePath.find(':', pos);
    if (colon == std::string_view::npos)
      colon = hfilePath.size();
    if (colon > pos)
      paths.emplace_back(hfilePath.substr(pos, colon - pos));
    pos = colon + 1;
  }
  return paths;
}

std::optional<Failure> StationCatalog::load(const std::vector<std::string>& paths,
                                            HarmonicsDatabase& database) {
  paths_ = paths;
  std::vector<StationHeader> all;
  for (std::size_t file = 0; file < paths.size(); ++file) {
    if (auto failure = database.open(paths[file], static_cast<int>(file)))
      return failure;
    const auto& headers = database.headers();
    all.insert(all.end(), headers.begin(), headers.end());
  }
  assign(std::move(all));
  return std::nullopt;
}

void StationCatalog::assign(std::vector<StationHeader> stations) {
  stations_ = std::move(stations);
  listed_ = false;
}

const std::vector<StationHeader>& StationCatalog::list() {
  if (listed_)
    return stations_;
  listed_ = true;
  std::vector<StationHeader> stations = std::move(stations_);
  // Sorting indices moves no strings around.
  std::vector<std::size_t> order(stations.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::sort(order.begin(), order.end(), [&stations](std::size_t a, std::size_t b) {
    const StationHeader& x = stations[a];
    const StationHeader& y = stations[b];
    if (const int byName = x.name.compare(y.name); byName != 0)
      return byName < 0;
    return std::pair(x.file, x.record) < std::pair(y.file, y.record);
  });
  stations_.clear();
  stations_.reserve(stations.size());
  std::vector<std::string> names;
  names.reserve(stations.size());
  for (const std::size_t i : order) {
    names.push_back(stations[i].name);
    stations_.push_back(std::move(stations[i]));
  }
  std::vector<std::string> listNames = ListNames::make(names);
  for (std::size_t i = 0; i < stations_.size(); ++i)
    stations_[i].listName = std::move(listNames[i]);
  return stations_;
}

std::optional<StationHeader> StationCatalog::findKeptName(std::string_view text) const {
  // Names that are their own list names are claimed first, in list order, so
  // the first such station in list order is the one whose list name is `text`.
  const StationHeader* first = nullptr;
  for (const StationHeader& station : stations_) {
    if (!equalsIgnoringCase(station.name, text) || !ListNames::keepsName(station.name))
      continue;
    if (!first || std::tie(station.name, station.file, station.record) <
                      std::tie(first->name, first->file, first->record))
      first = &station;
  }
  if (!first)
    return std::nullopt;
  StationHeader found = *first;
  found.listName = found.name;
  return found;
}

std::optional<StationHeader> StationCatalog::find(std::string_view text) {
  if (text.empty())
    return std::nullopt;
  if (!listed_)
    if (auto found = findKeptName(text))
      return found;
  const std::vector<StationHeader>& stations = list();
  for (const StationHeader& station : stations)
    if (equalsIgnoringCase(station.listName, text))
      return station;
  for (const StationHeader& station : stations)
    if (equalsIgnoringCase(station.name, text))
      return station;
  for (const StationHeader& station : stations)
    if (startsWithIgnoringCase(station.listName, text) ||
        startsWithIgnoringCase(station.name, text))
      return station;
  return std::nullopt;
}

} // namespace tide
