#include "archive/archive_csv.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <variant>

#include "archive/date_time.hpp"
#include "core/text.hpp"

namespace qivra {
namespace {

namespace fs = std::filesystem;

// Far above any real archive (100,000 draws are about 4 MB), below what would strain memory.
constexpr std::uintmax_t kMaxCsvBytes = 256u * 1024u * 1024u;

std::string Field(std::string_view raw) {
    std::string f = Trim(raw);
    if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = Trim(std::string_view(f).substr(1, f.size() - 2));
    return f;
}

std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = line.find(',', start);
        fields.push_back(Field(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

bool AllDigits(std::string_view s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos; }

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t lf = text.find('\n', start);
        std::string_view line = text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (lf == std::string_view::npos) break;
        start = lf + 1;
    }
    return lines;
}

CsvParseResult Refuse(CsvProblem problem, int line, std::string reason) {
    CsvParseResult r;
    r.problem = problem;
    r.line = line;
    r.reason = std::move(reason);
    return r;
}

// The text as UTF-8: UTF-8 (a byte-order mark dropped) or GBK; otherwise the first line that
// is neither is refused.
std::variant<std::string, CsvParseResult> DecodeText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const bool utf16 = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
    if (utf16) return Refuse(CsvProblem::Encoding, 1, "文件是 UTF-16 编码，请存为 UTF-8 或 GBK");
    if (IsValidUtf8(bytes) && bytes.find('\0') == std::string_view::npos) return std::string(bytes);
    if (bytes.find('\0') == std::string_view::npos) {
        if (std::optional<std::string> gbk = GbkToUtf8(bytes)) return std::move(*gbk);
    }
    const std::vector<std::string_view> lines = Lines(bytes);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view l = lines[i];
        const bool readable = l.find('\0') == std::string_view::npos && (IsValidUtf8(l) || GbkToUtf8(l));
        if (!readable) return Refuse(CsvProblem::Encoding, static_cast<int>(i + 1), "不是 UTF-8 或 GBK 文本");
    }
    return Refuse(CsvProblem::Encoding, 0, "不是 UTF-8 或 GBK 文本");
}

std::string DigitsText(const ArchivedDraw& d) {
    return std::to_string(d.digit1) + "+" + std::to_string(d.digit2) + "+" + std::to_string(d.digit3);
}

}  // namespace

std::string CsvParseResult::Message() const {
    if (ok()) return {};
    const std::string where = line > 0 ? "第 " + std::to_string(line) + " 行：" : std::string();
    return "导入失败，整个文件未导入。" + where + reason;
}

CsvParseResult ParseArchiveCsv(std::string_view bytes) {
    auto decoded = DecodeText(bytes);
    if (auto* refused = std::get_if<CsvParseResult>(&decoded)) return std::move(*refused);
    const std::string& text = std::get<std::string>(decoded);

    CsvParseResult result;
    struct Seen {
        size_t row;
    };
    std::unordered_map<int64_t, Seen> seen;
    bool first = true;
    const std::vector<std::string_view> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i + 1);
        if (Trim(lines[i]).empty()) continue;
        const std::vector<std::string> f = Fields(lines[i]);
        // A first line whose first field holds no digit is the header, whatever its words.
        if (first) {
            first = false;
            if (f[0].find_first_of("0123456789") == std::string::npos) continue;
        }
        if (f.size() < 6) return Refuse(CsvProblem::ShortRow, lineNo, "只有 " + std::to_string(f.size()) + " 个字段，应为 6 个");
        if (f.size() > 6) return Refuse(CsvProblem::LongRow, lineNo, "有 " + std::to_string(f.size()) + " 个字段，应为 6 个");
        if (!AllDigits(f[0]) || f[0].size() > 18 || std::stoll(f[0]) < 1)
            return Refuse(CsvProblem::BadPeriod, lineNo, "期号“" + f[0] + "”不是正整数");
        ArchivedDraw d;
        d.period = std::stoll(f[0]);
        const std::optional<std::string> when = NormalizeDateTime(f[1]);
        if (!when) return Refuse(CsvProblem::BadDateTime, lineNo, "时间“" + f[1] + "”不是 YYYY-MM-DD HH:MM:SS");
        d.drawnAt = *when;
        int32_t* digits[3] = {&d.digit1, &d.digit2, &d.digit3};
        for (size_t k = 0; k < 3; ++k) {
            const std::string& v = f[2 + k];
            if (v.size() != 1 || v[0] < '0' || v[0] > '9')
                return Refuse(CsvProblem::BadDigit, lineNo, "号码“" + v + "”不是 0-9 的数字");
            *digits[k] = v[0] - '0';
        }
        if (!AllDigits(f[5]) || f[5].size() > 2 || std::stoi(f[5]) != d.sum())
            return Refuse(CsvProblem::SumMismatch, lineNo,
                          "和值“" + f[5] + "”与号码 " + DigitsText(d) + " 不符，应为 " + std::to_string(d.sum()));
        if (auto it = seen.find(d.period); it != seen.end()) {
            const ArchivedDraw& earlier = result.rows[it->second.row];
            if (!earlier.SameDigits(d))
                return Refuse(CsvProblem::DuplicateInFile, lineNo,
                              "期号 " + f[0] + " 在第 " + std::to_string(result.lines[it->second.row]) + " 行是 " +
                                  DigitsText(earlier) + "，这里是 " + DigitsText(d));
            continue;
        }
        seen.emplace(d.period, Seen{result.rows.size()});
        result.rows.push_back(std::move(d));
        result.lines.push_back(lineNo);
    }
    if (result.rows.empty()) return Refuse(CsvProblem::NoRows, 0, "文件中没有开奖记录");
    return result;
}

std::string ArchiveCsvText(const std::vector<ArchivedDraw>& oldestFirst) {
    std::string out;
    out.reserve(40 * (oldestFirst.size() + 1));
    out += kArchiveCsvHeader;
    out += '\n';
    for (const ArchivedDraw& d : oldestFirst) {
        out += std::to_string(d.period);
        out += ',';
        out += d.drawnAt;
        out += ',' + std::to_string(d.digit1) + ',' + std::to_string(d.digit2) + ',' + std::to_string(d.digit3) + ',' +
               std::to_string(d.sum()) + '\n';
    }
    return out;
}

std::string CsvImportResult::Message() const {
    if (!parse.ok()) return parse.Message();
    if (!merge.error.empty()) return "导入失败，整个文件未导入：" + merge.error;
    return "导入完成：新增 " + std::to_string(merge.inserted) + " 期，已有 " + std::to_string(merge.unchanged) + " 期";
}

CsvImportResult ImportArchiveCsv(DrawArchive& archive, int game, const fs::path& file) {
    CsvImportResult result;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size > kMaxCsvBytes) {
        result.parse = Refuse(CsvProblem::Unreadable, 0, ec ? ec.message() : "文件过大");
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in && !in.eof()) {
        result.parse = Refuse(CsvProblem::Unreadable, 0, "无法读取文件");
        return result;
    }
    result.parse = ParseArchiveCsv(bytes.str());
    if (!result.parse.ok()) return result;
    result.merge = archive.Merge(game, result.parse.rows, MergeMode::RefuseConflicts);
    if (result.merge.refusedAt) {
        const size_t i = *result.merge.refusedAt;
        const ArchivedDraw& row = result.parse.rows[i];
        const std::optional<ArchivedDraw> archived = archive.Find(game, row.period);
        result.parse.problem = CsvProblem::ConflictsWithArchive;
        result.parse.line = result.parse.lines[i];
        result.parse.reason = "期号 " + std::to_string(row.period) + " 在存档中是 " +
                              (archived ? DigitsText(*archived) : std::string("?")) + "，文件中是 " + DigitsText(row);
    }
    return result;
}

std::string WriteFileAtomically(const fs::path& file, std::string_view bytes) {
    std::string tmp = file.string() + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return file.parent_path().string() + ": " + std::strerror(errno);
    bool ok = true;
    std::string_view rest = bytes;
    while (ok && !rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) rest.remove_prefix(static_cast<size_t>(n));
    }
    // mkstemp makes the file private; an export is an ordinary user file.
    ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(tmp.c_str(), file.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        return file.string() + ": " + std::strerror(saved ? saved : EIO);
    }
    return {};
}

CsvExportResult ExportArchiveCsv(const DrawArchive& archive, int game, const fs::path& file) {
    CsvExportResult result;
    const std::vector<ArchivedDraw> rows = archive.ReadAll(game);
    result.error = WriteFileAtomically(file, ArchiveCsvText(rows));
    if (result.ok()) result.rows = static_cast<int64_t>(rows.size());
    return result;
}

}  // namespace qivra
