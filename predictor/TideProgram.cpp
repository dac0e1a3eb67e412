#include "predictor/TideProgram.h"

#include "predictor/CommandLine.h"
#include "predictor/HarmonicsDatabase.h"
#include "predictor/ListWriter.h"
#include "predictor/OutputSink.h"
#include "predictor/PredictionModel.h"
#include "predictor/SampleWriter.h"
#include "predictor/StationCatalog.h"
#include "predictor/Text.h"
#include "predictor/TimeZone.h"

#include <unistd.h>
#include <variant>

namespace tide {

namespace {

constexpr Seconds defaultSpan = 4 * secondsPerDay;
constexpr std::size_t samplesPerBlock = 4096;

std::string shown(const CivilDateTime& when) {
  std::string text;
  SampleWriter::appendClock(text, when);
  return text;
}

double unitFactor(Units units, UnitChoice choice) {
  if (choice == UnitChoice::station)
    return 1;
  return lengthScale(units, choice == UnitChoice::feet ? Units::feet : Units::meters);
}

Failure cannotWrite() {
  return Failure{"cannot write the output"};
}

bool writeAll(int fd, const std::string& text) {
  OutputSink sink(fd);
  sink.buffer() = text;
  return sink.flush();
}

} // namespace

int TideProgram::report(const Failure& failure, int err) {
  writeAll(err, "tide: " + failure.message + "\n");
  return failure.exitStatus;
}

int TideProgram::run(const std::vector<std::string>& arguments, const Environment& environment) {
  const auto parsed = CommandLine::parse(arguments);
  if (const auto* failure = std::get_if<Failure>(&parsed))
    return report(*failure, environment.err);
  const TideOptions& options = std::get<TideOptions>(parsed);
  if (options.version)
    return writeAll(environment.out, std::string(version) + "\n")
               ? 0
               : report(cannotWrite(), environment.err);
  if (options.mode == Mode::none)
    return report(
        Failure{"no mode given (-m l lists the stations, -m m predicts)", Failure::badCommandLine},
        environment.err);
  if (options.mode == Mode::mediumRare && !options.station)
    return report(Failure{"no station given (-l NAME)", Failure::badCommandLine}, environment.err);
  const std::vector<std::string> paths =
      StationCatalog::pathsFrom(environment.hfilePath.value_or(""));
  if (paths.empty())
    return report(Failure{"HFILE_PATH does not name a harmonics database"}, environment.err);

  HarmonicsDatabase database;
  StationCatalog catalog;
  if (auto failure = catalog.load(paths, database))
    return report(*failure, environment.err);
  if (options.mode == Mode::list) {
    OutputSink sink(environment.out);
    if (!ListWriter::write(sink, catalog.list(), environment.now))
      return report(cannotWrite(), environment.err);
    return 0;
  }
  if (auto failure = predict(options, catalog, database, environment))
    return report(*failure, environment.err);
  return 0;
}

std::optional<Failure> TideProgram::predict(const TideOptions& options, StationCatalog& catalog,
                                            HarmonicsDatabase& database,
                                            const Environment& environment) {
  if (options.station->empty())
    return Failure{"the station name is empty"};
  const std::optional<StationHeader> found = catalog.find(*options.station);
  if (!found)
    return Failure{"no station matches \"" + printable(*options.station) + "\""};
  if (database.fileIndex() != found->file)
    if (auto failure = database.open(catalog.paths()[found->file], found->file))
      return failure;
  const auto station = database.station(found->record);
  if (!station)
    return Failure{"cannot read the station " + found->name + " from " +
                   printable(database.path())};

  std::optional<TimeZone> zone = TimeZone::utc();
  if (!options.utc) {
    zone = TimeZone::open(station->zone);
    if (!zone)
      return Failure{"the time zone \"" + printable(station->zone) + "\" of " + found->name +
                     " is not in the system's time-zone database"};
  }
  // Without -b the run starts at the current minute, so that each line's
  // time is the time of its level.
  const Seconds begin = options.begin ? zone->toInstant(*options.begin)
                                      : environment.now - environment.now % secondsPerMinute;
  const Seconds end = options.end ? zone->toInstant(*options.end) : begin + defaultSpan;
  if (begin > end)
    return Failure{"the begin " + shown(civilFromSeconds(begin + zone->at(begin).offsetSeconds)) +
                   " is after the end " +
                   shown(civilFromSeconds(end + zone->at(end).offsetSeconds))};
  const Seconds step = options.step;
  const auto count = static_cast<std::size_t>((end - begin + step - 1) / step);
  if (count == 0)
    return std::nullopt;
  const Seconds last = begin + static_cast<Seconds>(count - 1) * step;

  PredictionModel model;
  if (auto failure = model.build(database, *station, begin, last))
    return failure;
  const double factor = unitFactor(model.units(), options.units);
  OutputSink sink(environment.out);
  SampleWriter writer(*zone);
  std::vector<double> levels(samplesPerBlock);
  for (std::size_t done = 0; done < count; done += samplesPerBlock) {
    const std::size_t n = std::min(samplesPerBlock, count - done);
    const Seconds first = begin + static_cast<Seconds>(done) * step;
    model.curve().levels(first, step, n, levels.data());
    for (std::size_t i = 0; i < n; ++i) {
      writer.appendLine(sink.buffer(), first + static_cast<Seconds>(i) * step, levels[i] * factor);
      if (!sink.lineDone())
        return cannotWrite();
    }
  }
  if (!sink.flush())
    return cannotWrite();
  return std::nullopt;
}

} // namespace tide
