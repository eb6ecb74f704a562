#include "platform/FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC; // a file that takes no more bytes has no room
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool WriteFileAtomic(const std::string& path, const std::string& content, int mode) {
    mode_t fileMode = 0644;
    struct stat st {};
    if (mode >= 0)
        fileMode = static_cast<mode_t>(mode);
    else if (::stat(path.c_str(), &st) == 0)
        fileMode = st.st_mode & 07777;

    std::string tmp = path + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    // errno is left as the first failing step set it, for the caller's
    // message: neither the close nor the clean-up may overwrite it.
    int err = 0;
    auto step = [&err](bool done) {
        if (!done && !err)
            err = errno ? errno : EIO;
        return done;
    };
    errno = 0;
    bool ok = step(WriteAll(fd, content.data(), content.size())) &&
              step(::fchmod(fd, fileMode) == 0) && step(::fsync(fd) == 0);
    ok = step(::close(fd) == 0) && ok;
    if (ok)
        ok = step(::rename(tmp.c_str(), path.c_str()) == 0);
    if (!ok) {
        ::unlink(tmp.c_str());
        errno = err;
    }
    return ok;
}

std::optional<std::string> ReadWholeFile(const std::string& path, size_t limit) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > limit) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    data.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buf, static_cast<size_t>(n));
        if (data.size() > limit) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return data;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsReadableFile(const std::string& path) {
    return FileExists(path) && ::access(path.c_str(), R_OK) == 0;
}

std::string ReadProblem(const std::string& path) {
    if (DirectoryExists(path))
        return "is a folder";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    return "";
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectories(const std::string& path, int mode) {
    if (path.empty())
        return false;
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            std::string part = path.substr(0, pos);
            if (::mkdir(part.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
                return false;
        }
    }
    return DirectoryExists(path);
}

bool CopyFileTo(const std::string& from, const std::string& to) {
    auto data = ReadWholeFile(from, static_cast<size_t>(1) << 31);
    if (!data)
        return false;
    FILE* f = std::fopen(to.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data->data(), 1, data->size(), f) == data->size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

std::optional<uint64_t> FreeBytesAt(const std::string& path) {
    std::string at = path;
    for (;;) {
        struct statvfs vfs {};
        if (::statvfs(at.empty() ? "/" : at.c_str(), &vfs) == 0)
            return static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
        if (errno != ENOENT || at.empty() || at == "/")
            return std::nullopt;
        while (!at.empty() && at.back() == '/')
            at.pop_back();
        const size_t slash = at.rfind('/');
        at = slash == std::string::npos ? std::string() : at.substr(0, slash + 1);
    }
}
