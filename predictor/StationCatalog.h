#pragma once
// Every station of the databases named by HFILE_PATH, and the lookup that `-l`
// uses. The list (sorted by name, with list names) is made only when it is
// needed: a lookup by a name that is its own list name does without it.

#include "predictor/Failure.h"
#include "predictor/StationHeader.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tide {

class HarmonicsDatabase;

class StationCatalog {
public:
  // HFILE_PATH: one path, or several separated by colons, read in order. A
  // value that names an existing file as a whole is that one path.
  static std::vector<std::string> pathsFrom(std::string_view hfilePath);

  // Opens each database in turn; the last one stays open in `database`.
  std::optional<Failure> load(const std::vector<std::string>& paths, HarmonicsDatabase& database);
  // Stations gathered elsewhere (tests).
  void assign(std::vector<StationHeader> stations);

  const std::vector<std::string>& paths() const { return paths_; }
  // In list order, with list names.
  const std::vector<StationHeader>& list();

  // In order, ignoring case: the station whose list name is `text`, one whose
  // full name is `text`, the first one in list order whose list name or full
  // name starts with `text`. Nothing when none does or `text` is empty.
  std::optional<StationHeader> find(std::string_view text);

private:
  std::optional<StationHeader> findKeptName(std::string_view text) const;

  std::vector<std::string> paths_;
  std::vector<StationHeader> stations_;
  bool listed_ = false;
};

} // namespace tide
