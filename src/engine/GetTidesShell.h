#pragma once
// The tide engine: the work of a search without a display.
//
//   window's FindTides --criteria--> GetTidesShell (runs /bin/csh -> tide)
//   Poll -> Event_DataAvailable / Event_Completed -> CollectData (cuts at CR;
//        a line over 64 KiB, or more samples than the dates hold, ends the run)
//        -> FilterData per line -> collector (every sample), foundTides (one
//           entry per accepted period), reportBox (one row per accepted period)
//   poller reads nchecked, minTide, maxTide, collector, foundTides once ended.
//
// LocationGetter lists the predictor's places through a shell and a file of its own.
//
// GetTidesShell reads the predictor's sample lines by fixed columns:
//   2026-12-05 12:00 AM PST 6.078608
//   2026-12-05  1:00 AM AKST -0.114314
// year 1-4, month 6-7, day 9-10, hour (12-hour clock) 12-13, minute 15-16,
// AM/PM 18-19, zone 21-23, height from 25 (a 4-letter zone adds a blank first).
// A line is a sample when its year reads above 1000 and its height is a number
// ended by the line's end or a blank. Consecutive matching samples form a
// period; a period closes at the first sample that does not match, so a period
// still open at the end of the output is not reported.

#include "engine/TimeAndTide.h"
#include "fw/Date.h"
#include "fw/Shell.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace fw {
class RowList;
}

class GetTidesShell : public fw::Shell {
public:
  std::string leftover;   // output after the last CR, waiting for the rest of its line
  float lotide = 0;       // lower bound of "between"
  float hitide = 0;       // upper bound of "between"; the threshold of "above" and "below"
  std::string compare;    // "above", "below" or "between"; anything else: no height test
  bool lastuseit = false; // the previous sample matched: a period is open
  // Start of the open period. Given a default so that a creator that forgets it
  // cannot crash the filter.
  std::shared_ptr<fw::Date> startwhen = std::make_shared<fw::Date>(fw::Date::FromTotalSeconds(0));
  fw::RowList* reportBox = nullptr; // not owned; nullptr: no rows
  std::int32_t stime = 0;           // time-of-day window, seconds after midnight;
  std::int32_t etime = 0;           // either order; stime == etime: no window
  std::int32_t minlength = 0;       // shortest accepted period in seconds; 0 accepts all
  std::shared_ptr<fw::Date> endwhen = std::make_shared<fw::Date>(fw::Date::FromTotalSeconds(0));
  std::int32_t nchecked = 0; // non-empty lines filtered, samples or not
  float startheight = 0;
  float endheight = 0;
  float maxTide = 0; // extremes of the samples; 0 while none has come
  float minTide = 0;
  float lastHeight = 0;
  std::shared_ptr<TimeAndTide> collector;  // every sample; nullptr: not collected
  std::shared_ptr<fw::Date> tempwhen;      // nullptr: samples are not collected
  std::shared_ptr<TimeAndTide> foundTides; // (start, length) per accepted period

  // What a failed run leaves for the window to tell: no sample, and its last words.
  std::int32_t ndata = 0;   // sample lines seen
  std::string lastLine;     // last non-empty line of the output, trimmed
  bool lineTooLong = false; // a line too long for tide data came: the run was ended there
  // Most samples the search's dates hold; 0: no limit. A tool printing more is
  // ended there, and tooManySamples tells.
  std::int32_t maxSamples = 0;
  bool tooManySamples = false;

  void Event_DataAvailable() override;
  void Event_Completed() override;

  // Reads what the shell has received and filters every complete line.
  void CollectData();
  // The same for text that has arrived by other means; a line is filtered only
  // once its CR has come, however the text is cut. A line longer than any tide
  // data, or a sample past maxSamples, ends the run: the process is closed.
  void CollectData(std::string_view chunk);
  // End of the output: an unterminated rest is not a sample (a killed process
  // leaves half a line), but it may be the only message there is.
  void Finish();
  void FilterData(const std::string& line);

private:
  bool matches(std::int32_t tod, float h) const;
  void closePeriod();
  std::string resultRow() const;

  double lastSampleTime_ = 0;      // time of the previous sample: the end of a closing period
  std::int32_t periodSamples_ = 0; // samples of the open period
};
