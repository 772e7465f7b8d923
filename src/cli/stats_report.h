// What `tavric-run --stats` prints and `--stats-csv FILE` writes: the
// round-trip times of the run's answers per script line, over all the rounds
// of a loop (count, least, mean, 95th percentile, greatest), with the
// statement's text.
#pragma once

#include <functional>
#include <string>

class CTVRRoundTripStats;

class CTVRStatsReport {
 public:
  // The text of a line (from 0), for the report.
  using LineText = std::function<std::string(int line)>;

  // A table for the terminal, times in milliseconds:
  //   line   count        min       mean        p95        max  statement
  //      8   10000      0.012      0.015      0.021      0.130  40 01 02 03 04;
  static std::string Table(const CTVRRoundTripStats& stats, const LineText& text);
  // CSV, one row per line, times in microseconds (3 decimals: nanoseconds):
  //   line,count,min_us,mean_us,p95_us,max_us,statement
  static std::string Csv(const CTVRRoundTripStats& stats, const LineText& text);
};
