#include "custom/algorithm_store.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/atomic_file.hpp"
#include "core/text.hpp"
#include "net/string_cipher.hpp"

namespace qivra {

namespace {

constexpr std::string_view kNameSeparator = "----";
constexpr std::string_view kLineEnd = "\r\n";
// A store of a few thousand algorithms is well under this; anything larger is not ours.
constexpr off_t kMaxStoreBytes = 16 * 1024 * 1024;

std::string SystemError(const std::string& what, const std::string& path, int error) {
    return what + "：" + path + "（" + std::strerror(error) + "）";
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// Text that survives the round trip through GBK and the cipher (which ends at a zero byte).
bool Storable(std::string_view text) {
    return text.find('\0') == std::string_view::npos && Utf8ToGbk(text).has_value();
}

// A deciphered store holds printable text and line ends; other control bytes mean garbage.
bool LooksLikeStoreText(std::string_view plain) {
    for (char c : plain) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\r' && c != '\n' && c != '\t') return false;
    }
    return true;
}

std::string ParentDirectory(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Creates the folder and any missing parents.
bool MakeDirectories(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) || (errno = ENOTDIR, false);
    if (errno != ENOENT) return false;
    const std::string parent = ParentDirectory(dir);
    if (parent != dir && !MakeDirectories(parent)) return false;
    return ::mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST;
}

enum class ReadStatus { Ok, Absent, Failed };

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return ReadStatus::Absent;
        error = SystemError("无法读取算法文件", path, errno);
        return ReadStatus::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int e = errno ? errno : EISDIR;
        ::close(fd);
        error = SystemError("无法读取算法文件", path, S_ISDIR(st.st_mode) ? EISDIR : e);
        return ReadStatus::Failed;
    }
    if (st.st_size > kMaxStoreBytes) {
        ::close(fd);
        error = "算法文件过大，不是本软件的算法文件：" + path;
        return ReadStatus::Failed;
    }
    bytes.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            error = SystemError("无法读取算法文件", path, e);
            return ReadStatus::Failed;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
        if (bytes.size() > static_cast<size_t>(kMaxStoreBytes)) {
            ::close(fd);
            error = "算法文件过大，不是本软件的算法文件：" + path;
            return ReadStatus::Failed;
        }
    }
    ::close(fd);
    return ReadStatus::Ok;
}

}  // namespace

std::array<std::string, 3> SplitAlgorithmText(std::string_view algorithmText) {
    std::array<std::string, 3> out;
    const std::vector<std::string> pieces = SplitText(algorithmText, "|");
    for (size_t i = 0; i < out.size() && i < pieces.size(); ++i) out[i] = pieces[i];
    return out;
}

std::string JoinAlgorithmText(const std::array<std::string, 3>& formulas) {
    return formulas[0] + "|" + formulas[1] + "|" + formulas[2];
}

std::string ValidateAlgorithmName(std::string_view name) {
    if (name.find(kNameSeparator) != std::string_view::npos) return "算法名称不能包含“----”";
    // "a-" + "----" reads back as "a" and "-…": the separator would be found one place early.
    if (!name.empty() && name.back() == '-') return "算法名称不能以“-”结尾";
    if (HasLineBreak(name)) return "算法名称不能包含换行";
    if (!Storable(name)) return "算法名称含有无法保存的字符";
    return {};
}

std::string ValidateAlgorithm(const CustomAlgorithm& algorithm) {
    if (std::string error = ValidateAlgorithmName(algorithm.name); !error.empty()) return error;
    const std::string_view text = algorithm.algorithmText;
    if (text.find(kNameSeparator) != std::string_view::npos || HasLineBreak(text) || !Storable(text))
        return "算法公式含有无法保存的内容（“----”、换行或无法保存的字符）";
    return {};
}

std::optional<std::string> SerializeStore(const std::vector<CustomAlgorithm>& rows) {
    std::string plain;
    for (const CustomAlgorithm& row : rows) {
        if (!ValidateAlgorithm(row).empty()) return std::nullopt;
        plain += row.name;
        plain += kNameSeparator;
        plain += row.algorithmText;
        plain += kLineEnd;
    }
    if (plain.empty()) return std::string();
    const std::optional<std::string> gbk = Utf8ToGbk(plain);
    if (!gbk) return std::nullopt;
    return Encipher(*gbk, kStoredTextKey);
}

StoreLoadResult ParseStore(std::string_view fileBytes) {
    StoreLoadResult result;
    const std::string stored = Trim(fileBytes);  // an editor's trailing line end is harmless
    if (stored.empty()) return result;
    const std::optional<std::string> gbk = Decipher(stored, kStoredTextKey);
    if (!gbk) {
        result.error = "算法文件已损坏，无法解密";
        return result;
    }
    const std::optional<std::string> plain = GbkToUtf8(*gbk);
    if (!plain || !LooksLikeStoreText(*plain)) {
        result.error = "算法文件已损坏，内容无法识别";
        return result;
    }
    for (const std::string& line : SplitText(*plain, kLineEnd)) {
        const std::vector<std::string> pieces = SplitText(line, kNameSeparator);
        CustomAlgorithm row;
        if (!pieces.empty()) row.name = pieces[0];
        if (pieces.size() > 1) row.algorithmText = pieces[1];
        result.rows.push_back(std::move(row));
    }
    return result;
}

StoreLoadResult LoadStoreFile(const std::string& path) {
    StoreLoadResult result;
    std::string bytes;
    switch (ReadWholeFile(path, bytes, result.error)) {
        case ReadStatus::Absent: return result;
        case ReadStatus::Failed: return result;
        case ReadStatus::Ok: break;
    }
    result = ParseStore(bytes);
    if (!result.ok()) result.error += "：" + path;
    return result;
}

SaveResult SaveStoreFile(const std::string& path, const std::vector<CustomAlgorithm>& rows, bool replaceDamaged) {
    SaveResult result;
    const std::optional<std::string> bytes = SerializeStore(rows);
    if (!bytes) {
        for (const CustomAlgorithm& row : rows)
            if (std::string e = ValidateAlgorithm(row); !e.empty()) {
                result.error = e;
                return result;
            }
        result.error = "算法含有无法保存的字符";
        return result;
    }

    std::string old;
    std::string readError;
    const ReadStatus existing = ReadWholeFile(path, old, readError);
    if (existing == ReadStatus::Failed) {
        result.error = readError;
        return result;
    }
    if (existing == ReadStatus::Ok && !replaceDamaged && !ParseStore(old).ok()) {
        result.error = "算法文件已损坏，为免丢失未被覆盖：" + path;
        return result;
    }
    mode_t mode = 0644;
    if (struct stat st {}; existing == ReadStatus::Ok && ::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;

    const std::string dir = ParentDirectory(path);
    if (!MakeDirectories(dir)) {
        result.error = SystemError("无法创建算法文件夹", dir, errno);
        return result;
    }
    if (const int error = ReplaceFileAtomically(path, *bytes, mode); error != 0)
        result.error = SystemError("无法保存算法文件", path, error);
    return result;
}

std::string DefaultStorePath(const std::string& programDir) {
    if (!programDir.empty() && ::access(programDir.c_str(), W_OK) == 0)
        return (programDir.back() == '/' ? programDir : programDir + "/") + std::string(kStoreFileName);
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.local/share";
    } else {
        base = programDir.empty() ? std::string(".") : programDir;  // nowhere better to go
    }
    if (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/Qivra28/" + std::string(kStoreFileName);
}

}  // namespace qivra
