#pragma once
// The service's own history of a game as the archive's CSV ("period,date-time,d1,d2,d3,sum",
// oldest first), so that a new archive or a test can start with many days of draws.

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace qivra {

// Draws a game makes in `days` days: 180 a day for game 0, one every 210 s for game 1.
int HistoryDrawCount(int game, int days);

// The draws published at `now` over the last `days` days, oldest first, with a header line.
std::string HistoryCsv(int game, std::chrono::system_clock::time_point now, uint64_t seed, int days);

// "--history-csv GAME,DAYS,FILE": writes the CSV atomically (temporary file, then rename).
// Returns the process exit status; messages go to err.
int WriteHistoryCsvCommand(const std::string& game, const std::string& days, const std::string& file,
                           uint64_t seed, std::ostream& err);

}  // namespace qivra
