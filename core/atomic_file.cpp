#include "core/atomic_file.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qivra {
namespace {

constexpr std::string_view kTempInfix = ".qivra-tmp-";
constexpr size_t kUniqueChars = 6;  // mkostemp's "XXXXXX"

struct PathParts {
    std::string folder;
    std::string name;
};

PathParts Split(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// A new temporary file of path, open and locked; -1 with errno set on failure. The lock is what
// tells another save's cleanup that this file is in use. A cleanup may still take the file
// between its creation and the lock; then it is unlinked when the lock comes, and a new one
// is made. A file system without locks gets an unlocked file (its cleanups remove nothing).
int CreateLockedTemp(const std::string& path, std::string& temp) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        temp = path + std::string(kTempInfix) + std::string(kUniqueChars, 'X');
        const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if (locked != 0 || (::fstat(fd, &st) == 0 && st.st_nlink > 0)) return fd;
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

}  // namespace

bool IsTempFileNameOf(std::string_view name, std::string_view fileName) {
    if (fileName.empty() || name.size() != fileName.size() + kTempInfix.size() + kUniqueChars) return false;
    if (name.substr(0, fileName.size()) != fileName || name.substr(fileName.size(), kTempInfix.size()) != kTempInfix)
        return false;
    for (char c : name.substr(name.size() - kUniqueChars))
        if (!IsAsciiAlnum(c)) return false;
    return true;
}

int ReplaceFileAtomically(const std::string& path, std::string_view bytes, unsigned permissions) {
    std::string temp;
    const int fd = CreateLockedTemp(path, temp);
    if (fd < 0) return errno;
    auto fail = [&](int error) {
        ::unlink(temp.c_str());
        ::close(fd);
        return error;
    };
    if (::fchmod(fd, static_cast<mode_t>(permissions)) != 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0)
        return fail(errno);
    // Renamed while still open and locked, so no cleanup can take it first.
    if (::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
    ::close(fd);  // after fsync there is nothing left for close to report
    // Make the rename itself durable; the new content is already safe on disk.
    if (const int dfd = ::open(Split(path).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    RemoveLeftoverTempFiles(path);
    return 0;
}

void RemoveLeftoverTempFiles(const std::string& path) {
    const PathParts parts = Split(path);
    DIR* dir = ::opendir(parts.folder.c_str());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempFileNameOf(entry->d_name, parts.name)) continue;
        // No symbolic link is followed and a FIFO does not block the open.
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held {};
        struct stat named {};
        // The lock fails while a save holds the file; the name is checked again under the lock,
        // since that save may have renamed it away in the meantime.
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            ::unlinkat(dirFd, entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

}  // namespace qivra
