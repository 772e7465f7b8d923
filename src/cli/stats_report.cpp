#include "cli/stats_report.h"

#include <cstdio>

#include "document/round_trip_stats.h"

namespace {

constexpr double kPercentile = 0.95;
// Statement texts are cut to this in the table (not in the CSV).
constexpr std::size_t kTableTextWidth = 40;

std::string Printf(const char* format, auto... values) {
  char text[160];
  const int n = std::snprintf(text, sizeof text, format, values...);
  return n > 0 ? std::string(text, std::size_t(n) < sizeof text ? std::size_t(n) : sizeof text - 1) : std::string();
}

// A CSV field: quoted, its quotes doubled.
std::string Quoted(const std::string& text) {
  std::string field = "\"";
  for (char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + '"';
}

}  // namespace

std::string CTVRStatsReport::Table(const CTVRRoundTripStats& stats, const LineText& text) {
  std::string table = "Round-trip times per script line, ms (95th percentile within 1.6 %):\n";
  table += Printf("%6s %9s %10s %10s %10s %10s  %s\n", "line", "count", "min", "mean", "p95", "max", "statement");
  for (int line = 0; line < stats.GetLineEnd(); ++line) {
    const CTVRTimeHistogram* pTimes = stats.GetLine(line);
    if (pTimes == nullptr) continue;
    const CTVRTimeHistogram& times = *pTimes;
    std::string statement = text ? text(line) : std::string();
    if (statement.size() > kTableTextWidth) statement = statement.substr(0, kTableTextWidth - 3) + "...";
    table += Printf("%6d %9llu %10.3f %10.3f %10.3f %10.3f  ", line + 1, (unsigned long long)times.GetCount(),
                    double(times.GetMin()) / 1e6, times.GetMean() / 1e6, double(times.GetPercentile(kPercentile)) / 1e6,
                    double(times.GetMax()) / 1e6);
    table += statement + "\n";
  }
  if (stats.IsEmpty()) table += "(no timed answer)\n";
  return table;
}

std::string CTVRStatsReport::Csv(const CTVRRoundTripStats& stats, const LineText& text) {
  std::string csv = "line,count,min_us,mean_us,p95_us,max_us,statement\r\n";
  for (int line = 0; line < stats.GetLineEnd(); ++line) {
    const CTVRTimeHistogram* pTimes = stats.GetLine(line);
    if (pTimes == nullptr) continue;
    const CTVRTimeHistogram& times = *pTimes;
    csv += Printf("%d,%llu,%.3f,%.3f,%.3f,%.3f,", line + 1, (unsigned long long)times.GetCount(),
                  double(times.GetMin()) / 1e3, times.GetMean() / 1e3, double(times.GetPercentile(kPercentile)) / 1e3,
                  double(times.GetMax()) / 1e3);
    csv += Quoted(text ? text(line) : std::string()) + "\r\n";
  }
  return csv;
}
