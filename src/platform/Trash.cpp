#include "platform/Trash.h"

#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Why a move did not happen: the trash itself could not be had (then a plain
// deletion is the only way), or the file could not be moved (then nothing
// may be deleted either).
enum class TrashFailure { None, NoTrash, CannotMove };

void SetError(std::string* out, const std::string& text) {
    if (out)
        *out = text;
}

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string HomeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return WithTrailingSlash(data) + "Trash";
    const char* home = std::getenv("HOME");
    if (home && *home == '/')
        return WithTrailingSlash(home) + ".local/share/Trash";
    return {};
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd))
        return path;
    return WithTrailingSlash(cwd) + path;
}

// The topmost folder above path on the same device: the mount point.
std::string TopDirOf(const std::string& absPath, dev_t dev) {
    std::string top = FolderOf(absPath);
    while (top != "/") {
        std::string parent = FolderOf(top);
        struct stat st {};
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != dev)
            break;
        top = parent;
    }
    return top;
}

// The trashinfo's Path: every byte outside the unreserved set and "/" as %XX.
std::string PercentEncode(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : path) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::string DeletionDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    return buf;
}

// "name", "name.2", "name.3" ... keeping the extension at the end, so the
// file manager still knows the file: "rec.wav", "rec.2.wav".
std::string Candidate(const std::string& name, int n) {
    if (n == 1)
        return name;
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return name + "." + std::to_string(n);
    return name.substr(0, dot) + "." + std::to_string(n) + name.substr(dot);
}

bool MakePrivateFolder(const std::string& path) {
    return MakeDirectories(path, 0700);
}

// Moves absPath into the trash folder trash (made when missing).
TrashFailure MoveInto(const std::string& trash, const std::string& absPath,
                      const std::string& infoPath, std::string* pError) {
    const std::string files = trash + "/files/";
    const std::string info = trash + "/info/";
    if (!MakePrivateFolder(files) || !MakePrivateFolder(info)) {
        SetError(pError, SystemError("cannot make the trash folder " + trash));
        return TrashFailure::NoTrash;
    }
    const std::string name = NameOf(absPath);
    const std::string text = "[Trash Info]\nPath=" + PercentEncode(infoPath) +
                             "\nDeletionDate=" + DeletionDate() + "\n";
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = Candidate(name, n);
        const std::string infoFile = info + candidate + ".trashinfo";
        // The info file is made first and exclusively: it claims the name
        // against any other program trashing a file of the same name now.
        int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            SetError(pError, SystemError("cannot write " + infoFile));
            return TrashFailure::NoTrash;
        }
        bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        written = ::close(fd) == 0 && written;
        struct stat st {};
        if (!written || ::lstat((files + candidate).c_str(), &st) == 0) {
            // A file of that name without its info (a broken trash): next name.
            ::unlink(infoFile.c_str());
            if (!written) {
                SetError(pError, SystemError("cannot write " + infoFile));
                return TrashFailure::NoTrash;
            }
            continue;
        }
        if (::rename(absPath.c_str(), (files + candidate).c_str()) != 0) {
            const int err = errno;
            ::unlink(infoFile.c_str());
            errno = err;
            SetError(pError, SystemError("cannot move " + absPath + " to the trash"));
            return err == EXDEV ? TrashFailure::NoTrash : TrashFailure::CannotMove;
        }
        return TrashFailure::None;
    }
    SetError(pError, "the trash " + trash + " has no free name for " + name);
    return TrashFailure::NoTrash;
}

TrashFailure Trash(const std::string& sPath, std::string* pError) {
    struct stat st {};
    const std::string absPath = AbsolutePath(sPath);
    if (::lstat(absPath.c_str(), &st) != 0) {
        SetError(pError, SystemError(sPath));
        return TrashFailure::CannotMove;
    }
    const std::string home = HomeTrash();
    struct stat homeSt {};
    if (!home.empty()) {
        // The home trash's own device: its folder, or the nearest one above it.
        std::string probe = home;
        while (::stat(probe.c_str(), &homeSt) != 0 && probe != "/")
            probe = FolderOf(probe);
        if (homeSt.st_dev == st.st_dev)
            return MoveInto(home, absPath, absPath, pError);
    }
    // Another file system: its own trash, with the path relative to its top.
    const std::string top = TopDirOf(absPath, st.st_dev);
    const std::string trash = WithTrailingSlash(top) + ".Trash-" + std::to_string(::getuid());
    const std::string relative = absPath.substr(top == "/" ? 1 : top.size() + 1);
    return MoveInto(trash, absPath, relative, pError);
}

// The entry of trash (its name in files/) last trashed from infoPath; "" none.
std::string NewestEntryFor(const std::string& trash, const std::string& infoPath) {
    const std::string info = trash + "/info/";
    const std::string wanted = "Path=" + PercentEncode(infoPath) + "\n";
    std::string newest, newestDate;
    DIR* dir = ::opendir(info.c_str());
    if (!dir)
        return {};
    while (const dirent* entry = ::readdir(dir)) {
        const std::string file = entry->d_name;
        constexpr std::string_view kSuffix = ".trashinfo";
        if (file.size() <= kSuffix.size() || !file.ends_with(kSuffix))
            continue;
        std::ifstream in(info + file);
        std::ostringstream text;
        text << in.rdbuf();
        const std::string body = text.str() + "\n";
        if (body.find("\n" + wanted) == std::string::npos)
            continue;
        const size_t date = body.find("DeletionDate=");
        const std::string when =
            date == std::string::npos ? "" : body.substr(date, body.find('\n', date) - date);
        if (newest.empty() || when >= newestDate) {
            newest = file.substr(0, file.size() - kSuffix.size());
            newestDate = when;
        }
    }
    ::closedir(dir);
    return newest;
}

} // namespace

bool RestoreFromTrash(const std::string& sPath, std::string* pError) {
    const std::string absPath = AbsolutePath(sPath);
    struct stat st {};
    if (::lstat(absPath.c_str(), &st) == 0) {
        SetError(pError, absPath + " exists already");
        return false;
    }
    std::vector<std::pair<std::string, std::string>> trashes; // trash, recorded path
    const std::string home = HomeTrash();
    if (!home.empty())
        trashes.emplace_back(home, absPath);
    struct stat folder {};
    if (::stat(FolderOf(absPath).c_str(), &folder) == 0) {
        const std::string top = TopDirOf(absPath, folder.st_dev);
        trashes.emplace_back(WithTrailingSlash(top) + ".Trash-" + std::to_string(::getuid()),
                             absPath.substr(top == "/" ? 1 : top.size() + 1));
    }
    for (const auto& [trash, infoPath] : trashes) {
        const std::string name = NewestEntryFor(trash, infoPath);
        if (name.empty())
            continue;
        if (::renameat2(AT_FDCWD, (trash + "/files/" + name).c_str(), AT_FDCWD, absPath.c_str(),
                        RENAME_NOREPLACE) != 0) {
            SetError(pError, SystemError("cannot bring " + absPath + " back from the trash"));
            return false;
        }
        ::unlink((trash + "/info/" + name + ".trashinfo").c_str());
        return true;
    }
    SetError(pError, absPath + " is not in the trash");
    return false;
}

bool MoveToTrash(const std::string& sPath, std::string* pError) {
    return Trash(sPath, pError) == TrashFailure::None;
}

RemoveOutcome RemoveFile(const std::string& sPath, std::string* pError) {
    struct stat st {};
    if (::lstat(sPath.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return RemoveOutcome::AlreadyGone;
        SetError(pError, SystemError(sPath));
        return RemoveOutcome::Failed;
    }
    std::string trashError;
    switch (Trash(sPath, &trashError)) {
    case TrashFailure::None:
        return RemoveOutcome::Trashed;
    case TrashFailure::CannotMove:
        SetError(pError, trashError);
        return RemoveOutcome::Failed;
    case TrashFailure::NoTrash:
        break;
    }
    if (::unlink(sPath.c_str()) != 0) {
        SetError(pError, trashError + "; " + SystemError("cannot delete " + sPath));
        return RemoveOutcome::Failed;
    }
    return RemoveOutcome::Deleted;
}
