#include "service/history_csv.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <vector>

#include "core/text.hpp"
#include "service/draw_schedule.hpp"

namespace qivra {

int HistoryDrawCount(int game, int days) {
    if (days <= 0) return 0;
    if (game == 0) return days * kGame0DrawsPerDay;
    if (game == 1) return static_cast<int>(int64_t{days} * 86400 / kGame1IntervalSeconds);
    return 0;
}

std::string HistoryCsv(int game, std::chrono::system_clock::time_point now, uint64_t seed, int days) {
    const std::vector<ScheduledDraw> draws = PublishedDraws(game, now, seed, HistoryDrawCount(game, days));
    std::string out = "period,date-time,d1,d2,d3,sum\n";
    out.reserve(out.size() + draws.size() * 40);
    for (auto it = draws.rbegin(); it != draws.rend(); ++it) {
        out += std::to_string(it->period) + ',' + it->date + ' ' + it->time + ',' + std::to_string(it->a) + ',' +
               std::to_string(it->b) + ',' + std::to_string(it->c) + ',' + std::to_string(it->a + it->b + it->c) + '\n';
    }
    return out;
}

int WriteHistoryCsvCommand(const std::string& game, const std::string& days, const std::string& file, uint64_t seed,
                           std::ostream& err) {
    const bool gameOk = game == "0" || game == "1";
    const bool daysOk = IsIntegerText(days) && Trim(days).size() <= 5 && IntegerValue(days) >= 1;
    if (!gameOk || !daysOk) {
        err << "qivra28-service: --history-csv wants GAME (0 or 1) and DAYS (1..99999)\n";
        return 2;
    }
    const std::string text = HistoryCsv(IntegerValue(game), std::chrono::system_clock::now(), seed, IntegerValue(days));
    std::string tmp = file + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    bool ok = fd >= 0;
    for (std::string_view rest = text; ok && !rest.empty();) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) rest.remove_prefix(static_cast<size_t>(n));
    }
    ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const int saved = errno;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(tmp.c_str(), file.c_str()) == 0;
    if (!ok) {
        if (fd >= 0) ::unlink(tmp.c_str());
        err << "qivra28-service: cannot write " << file << ": " << std::strerror(errno ? errno : saved) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace qivra
