// The search: FindTides checks the form and starts a GetTidesShell that runs
// csh -> tide; ShellPoller_Action lets that shell deliver its output once a
// second and publishes the search once the shell has ended.
//
// The place name goes to the predictor inside csh double quotes, where csh
// still expands history (!), variables ($) and commands (`) and a backslash
// does not quote; a name holding one of those, a quote or a line end is
// refused rather than run. Paths go as ShellPath words.

#include "engine/GetTidesShell.h"
#include "engine/TimeAndTide.h"
#include "engine/ToolPaths.h"
#include "fw/Date.h"
#include "fw/Text.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Dialogs.h"
#include "window/Halvorn.h"
#include "window/StatusTexts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Started by the shell layer in a UTF-8 locale, as place names are.
constexpr const char* kSearchShell = "/bin/csh";
constexpr int kInteractiveMode = 2;
constexpr int kSearchTimeOutMs = 30000;
constexpr double kLastSecondOfDay = 86399;
constexpr double kSampleStep = 900; // the 15 minutes the predictor is asked for
constexpr double kSamplesPerDay = 96;
constexpr double kSpareDays = 2;

constexpr std::int32_t kSecondsPerHour = 3600;
constexpr std::int32_t kSecondsPerMinute = 60;
constexpr std::int32_t kHoursPerHalfDay = 12;
constexpr std::int32_t kLastHour = 23;
constexpr std::int32_t kLastMinute = 59;
constexpr int kHalfOfDaySuffixLength = 2;

constexpr const char* kNoToolStatus = "Cannot find tides, cannot find a version of tide/xtide";
constexpr const char* kScanningStatus = "Scanning tides";
constexpr const char* kBadStartDate = "Invalid start date";
constexpr const char* kBadEndDate = "Invalid end date";
constexpr const char* kBadEarliestTime = "Invalid earliest time";
constexpr const char* kBadLatestTime = "Invalid latest time";
constexpr const char* kUnpairedTimes =
    "If you have an early time, you must also have a late time, and vice versa";
constexpr const char* kBadMinimumTime = "Invalid minimum time";
constexpr const char* kUnpassablePlace = "The place name cannot be passed to the tide tool: ";
constexpr const char* kUnpassablePath = "The path cannot be passed to the tide tool: ";

constexpr const char* kCompletedPrefix = "Tide search completed - checked ";
constexpr const char* kFailedPrefix = "Tide search failed - ";
constexpr const char* kPrintedNothing = "the tide tool printed nothing";
constexpr const char* kDidNotFinish = "the tide tool did not finish";
constexpr const char* kLineTooLong = "the tide tool printed a line too long";
constexpr const char* kTooManySamples = "the tide tool printed more samples than the dates hold";

// What csh reads inside double quotes, and what ends a line or cannot be in an
// argument at all.
constexpr std::string_view kUnquotableInPlace("\"$!`\\\r\n\0", 8);

bool canPassPlace(const std::string& place) {
  return place.find_first_of(kUnquotableInPlace) == std::string::npos;
}

// The form's times, read and checked.
struct SearchTimes {
  std::int32_t early = 0;
  std::int32_t late = 0;
  std::int32_t minimum = 0;
};

std::shared_ptr<GetTidesShell> newSearchShell(const SearchTimes& times, fw::RowList* reportBox) {
  auto shell = std::make_shared<GetTidesShell>();
  shell->Mode = kInteractiveMode;
  shell->TimeOut = kSearchTimeOutMs;
  shell->lastuseit = false;
  shell->startwhen = std::make_shared<fw::Date>();
  shell->startwhen->SetTotalSeconds(0);
  shell->endwhen = std::make_shared<fw::Date>();
  shell->tempwhen = std::make_shared<fw::Date>();
  shell->collector = std::make_shared<TimeAndTide>();
  shell->reportBox = reportBox;
  shell->stime = times.early;
  shell->etime = times.late;
  shell->minlength = times.minimum;
  shell->foundTides = std::make_shared<TimeAndTide>();
  return shell;
}

// TideHigher is the lower bound of "between"; an empty TideLower asks for
// "above" whatever TideHigher holds.
void chooseComparison(GetTidesShell& shell, const std::string& lower, const std::string& higher) {
  if (!lower.empty() && !higher.empty()) {
    shell.compare = "between";
    shell.lotide = static_cast<float>(fw::Val(higher));
    shell.hitide = static_cast<float>(fw::Val(lower));
  } else if (!lower.empty()) {
    shell.compare = "below";
    shell.hitide = static_cast<float>(fw::Val(lower));
  } else {
    shell.compare = "above";
    shell.hitide = static_cast<float>(fw::Val(higher));
  }
}

// One sample each 15 minutes from the begin to the end, and two days more: one
// for a zone that once repeated a whole day as it moved across the date line
// (Alaska in 1867, Samoa in 1892), the other for the hours that daylight saving
// and other clock changes add over the years.
std::int32_t mostSamples(const fw::Date& start, const fw::Date& end) {
  const double steps = std::floor((end.TotalSeconds() - start.TotalSeconds()) / kSampleStep);
  return static_cast<std::int32_t>(std::clamp(steps + 1, 0.0, 2e9) + kSpareDays * kSamplesPerDay);
}

std::array<std::string, 3> searchCommandLines(const fw::Date& start, const fw::Date& end,
                                              const std::string& place) {
  const ToolPaths& paths = toolPaths();
  return {
      "setenv HFILE_PATH " + Halvorn::GetUNIXPath(paths.hfilepath),
      Halvorn::GetUNIXPath(paths.tidePath) + " -b \"" + Halvorn::DateToISOFormat(start) +
          "\" -e \"" + Halvorn::DateToISOFormat(end) + "\" -ft -mm -s \"0:15\" -l \"" + place +
          "\"",
      // The predictor's status, 128 + the signal that ended it included.
      "exit $status",
  };
}

// A run that the shell saw fail, that did not finish or that gave no sample
// failed; its last words are the predictor's (or the shell's) reason. Its rows
// stay, but the range of some of its samples is not shown as the range.
std::string completionText(const GetTidesShell& shell) {
  if (shell.TimedOut()) {
    return std::string(kFailedPrefix) + kDidNotFinish;
  }
  if (shell.lineTooLong) {
    return std::string(kFailedPrefix) + kLineTooLong;
  }
  if (shell.tooManySamples) {
    return std::string(kFailedPrefix) + kTooManySamples;
  }
  if (shell.ErrorCode() != 0 || shell.ndata == 0) {
    return kFailedPrefix + (shell.lastLine.empty() ? std::string(kPrintedNothing) : shell.lastLine);
  }
  return kCompletedPrefix + fw::Str(shell.nchecked) + ", range was " + fw::Str(shell.minTide) +
         " to " + fw::Str(shell.maxTide);
}

bool endsInHalfOfDay(const std::string& text) {
  const std::string suffix = fw::Right(text, kHalfOfDaySuffixLength);
  return fw::TextEquals(suffix, "am") || fw::TextEquals(suffix, "pm");
}

} // namespace

bool Halvorn::ParseTime(const std::string& timeText, const std::string& ampm,
                        std::int32_t& seconds) {
  if (timeText.empty()) {
    seconds = 0;
    return true;
  }
  // A typed suffix is dropped; the half of the day comes from ampm alone.
  std::string text = timeText;
  if (endsInHalfOfDay(text)) {
    text = fw::Left(text, fw::Len(text) - kHalfOfDaySuffixLength);
  }

  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  std::size_t separator = text.find(':');
  if (separator == std::string::npos) {
    separator = text.find('.');
  }
  if (separator != std::string::npos) {
    const std::string_view view(text);
    hours = fw::ToInt32(fw::Val(view.substr(0, separator)));
    minutes = fw::ToInt32(fw::Val(view.substr(separator + 1)));
  } else {
    const double value = fw::Val(text);
    if (!(value > 0)) {
      return false;
    }
    hours = fw::ToInt32(value);
  }

  if (hours < 0 || hours > kLastHour || minutes < 0 || minutes > kLastMinute) {
    return false;
  }
  if (fw::TextEquals(ampm, "pm") && hours < kHoursPerHalfDay) {
    hours += kHoursPerHalfDay;
  }
  seconds = kSecondsPerHour * hours + kSecondsPerMinute * minutes;
  return true;
}

std::string Halvorn::DateToISOFormat(const fw::Date& d) {
  return fw::Format(d.Year(), "0000") + "-" + fw::Format(d.Month(), "00") + "-" +
         fw::Format(d.Day(), "00") + " " + fw::Format(d.Hour(), "00") + ":" +
         fw::Format(d.Minute(), "00");
}

std::string Halvorn::GetUNIXPath(const std::optional<fw::FolderItem>& f) {
  return f ? f->ShellPath() : std::string();
}

void Halvorn::SearchButton_Action() {
  FindTides();
}

void Halvorn::FindTides() {
  const ToolPaths& paths = toolPaths();
  if (!paths.tidePath) {
    Status()->SetText(kNoToolStatus);
    return;
  }
  if (!paths.hfilepath) {
    Status()->SetText(kNoDatabaseStatus);
    return;
  }

  fw::Date start;
  fw::Date end;
  if (!fw::ParseDate(StartDate()->Text(), start)) {
    fw::MsgBox(kBadStartDate);
    return;
  }
  if (!fw::ParseDate(EndDate()->Text(), end)) {
    fw::MsgBox(kBadEndDate);
    return;
  }
  end.SetTotalSeconds(end.TotalSeconds() + kLastSecondOfDay);

  SearchTimes times;
  if (!ParseTime(EarlyTime()->Text(), EarlyAMPM()->Text(), times.early)) {
    fw::MsgBox(kBadEarliestTime);
    return;
  }
  if (!ParseTime(LateTime()->Text(), LateAMPM()->Text(), times.late)) {
    fw::MsgBox(kBadLatestTime);
    return;
  }
  if (times.late != times.early && (EarlyTime()->Text().empty() || LateTime()->Text().empty())) {
    fw::MsgBox(kUnpairedTimes);
    return;
  }
  if (!ParseTime(MinLength()->Text(), "", times.minimum)) {
    fw::MsgBox(kBadMinimumTime);
    return;
  }

  if (!canPassPlace(thePlace)) {
    fw::MsgBox(kUnpassablePlace + thePlace);
    return;
  }
  for (const std::optional<fw::FolderItem>* path : {&paths.tidePath, &paths.hfilepath}) {
    if (!(*path)->CanBeShellWord()) {
      fw::MsgBox(kUnpassablePath + (*path)->AbsolutePath());
      return;
    }
  }

  Status()->SetText(kScanningStatus);
  std::shared_ptr<GetTidesShell> shell = newSearchShell(times, Result());
  Result()->DeleteAllRows();
  lastcollection.reset();
  chooseComparison(*shell, TideLower()->Text(), TideHigher()->Text());
  shell->maxSamples = mostSamples(start, end);

  shell->Execute(kSearchShell);
  for (const std::string& line : searchCommandLines(start, end, thePlace)) {
    shell->WriteLine(line);
  }
  // A csh reading from a pipe that stays open may wait for more of a line it
  // could already run.
  shell->CloseInput();

  // The search replaced no longer writes into the list, and letting go of it
  // ends its process.
  if (shellToPoll) {
    shellToPoll->reportBox = nullptr;
  }
  shellToPoll = std::move(shell);
}

void Halvorn::ShellPoller_Action() {
  if (!shellToPoll) {
    return;
  }
  // Held here, so that nothing the shell's events do can pull it away mid-poll.
  const std::shared_ptr<GetTidesShell> shell = shellToPoll;
  if (shell->IsRunning()) {
    shell->Poll();
    // The Poll that raised Completed has handed over the last output: publish
    // now rather than a whole poll period later.
    if (shell->IsRunning() || shellToPoll != shell) {
      return;
    }
  }

  lastcollection = shell->collector;
  Status()->SetText(completionText(*shell));
  lastfound = shell->foundTides;
  DisplayCalendar();
  UpdatePlot();
  shellToPoll.reset();
}
