#include "calllog/IndexFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kChunk = 65536;
// What the reserve holds beyond the index's own size: the finished call's
// longer line and the file system's rounding to whole blocks.
constexpr off_t kReserveMargin = 16384;

void SetError(std::string* out, const std::string& path, int err) {
    if (out)
        *out = path + ": " + std::strerror(err);
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Reads the index line by line with a fixed buffer; a line is held whole
// only while it is looked at.
class LineReader {
public:
    explicit LineReader(int fd) : m_fd(fd), m_buf(kChunk) {}
    // The next line without its line feed; false at the end or on an error
    // (Failed() tells). bEnded: the line had its line feed.
    bool Next(std::string& line, off_t& offset, bool& bEnded) {
        line.clear();
        offset = m_nOffset;
        for (;;) {
            if (m_nPos == m_nEnd && !Fill())
                break;
            const char* start = m_buf.data() + m_nPos;
            const void* lf = std::memchr(start, '\n', m_nEnd - m_nPos);
            if (lf) {
                const size_t n = static_cast<size_t>(static_cast<const char*>(lf) - start);
                line.append(start, n);
                m_nPos += n + 1;
                m_nOffset += static_cast<off_t>(n + 1);
                bEnded = true;
                return true;
            }
            line.append(start, m_nEnd - m_nPos);
            m_nOffset += static_cast<off_t>(m_nEnd - m_nPos);
            m_nPos = m_nEnd;
        }
        bEnded = false;
        return !line.empty();
    }
    bool Failed() const { return m_bFailed; }

private:
    bool Fill() {
        for (;;) {
            ssize_t n = ::read(m_fd, m_buf.data(), m_buf.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                m_bFailed = true;
            m_nPos = 0;
            m_nEnd = n > 0 ? static_cast<size_t>(n) : 0;
            return n > 0;
        }
    }

    int m_fd;
    std::vector<char> m_buf;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    off_t m_nOffset = 0;
    bool m_bFailed = false;
};

// Whether a line can hold the record of sFile, without parsing lines that
// plainly cannot (a written key is the file name as it stands unless it has
// a character that is escaped).
bool MayHoldKey(std::string_view line, std::string_view sFile) {
    if (sFile.find_first_of("\"\\\r\n") != std::string_view::npos)
        return true;
    return line.find(sFile) != std::string_view::npos;
}

// Where the lines end that are kept: the file's size, or the start of a
// torn last line. Reads only the last line.
bool ContentEnd(int fd, off_t size, off_t& end) {
    end = size;
    if (size == 0)
        return true;
    // The start of the last line: just after the last line feed.
    off_t start = size;
    char buf[4096];
    bool bFound = false;
    while (start > 0 && !bFound) {
        const off_t from = start > off_t(sizeof buf) ? start - off_t(sizeof buf) : 0;
        const size_t n = static_cast<size_t>(start - from);
        if (::pread(fd, buf, n, from) != static_cast<ssize_t>(n))
            return false;
        for (size_t i = n; i > 0; --i)
            if (buf[i - 1] == '\n') {
                start = from + static_cast<off_t>(i);
                bFound = true;
                break;
            }
        if (!bFound)
            start = from;
    }
    if (start == size)
        return true; // the file ends with a line feed
    std::string tail(static_cast<size_t>(size - start), '\0');
    if (::pread(fd, tail.data(), tail.size(), start) != static_cast<ssize_t>(tail.size()))
        return false;
    if (IsTornIndexTail(tail))
        end = start;
    return true;
}

bool CopyRange(int from, int to, off_t begin, off_t end) {
    std::vector<char> buf(kChunk);
    while (begin < end) {
        const size_t want = static_cast<size_t>(std::min<off_t>(end - begin, off_t(kChunk)));
        ssize_t n = ::pread(from, buf.data(), want, begin);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO; // the index shrank under us
            return false;
        }
        if (!WriteAll(to, buf.data(), static_cast<size_t>(n)))
            return false;
        begin += n;
    }
    return true;
}

} // namespace

bool IsTornIndexTail(std::string_view lastLine) {
    if (lastLine.empty() || lastLine.front() != '"')
        return false;
    while (!lastLine.empty() && lastLine.back() == '\r')
        lastLine.remove_suffix(1);
    // A whole line has its eleven fields in quotes, the last quote closing it.
    constexpr size_t kQuotesOfAWholeLine = 22;
    const auto quotes = static_cast<size_t>(std::count(lastLine.begin(), lastLine.end(), '"'));
    return quotes < kQuotesOfAWholeLine || lastLine.back() != '"';
}

bool AppendIndexRecord(const std::string& sPath, const CDataStructure& rec, std::string* sError) {
    Fd fd(::open(sPath.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        SetError(sError, sPath, errno);
        return false;
    }
    off_t end = 0;
    if (!ContentEnd(fd.get(), st.st_size, end)) {
        SetError(sError, sPath, errno);
        return false;
    }
    if (end < st.st_size && ::ftruncate(fd.get(), end) != 0) {
        SetError(sError, sPath, errno);
        return false;
    }
    std::string line;
    // A last line kept without its line end gets one, so that the new
    // record does not run into it.
    if (end > 0) {
        char last = 0;
        if (::pread(fd.get(), &last, 1, end - 1) != 1) {
            SetError(sError, sPath, errno);
            return false;
        }
        if (last != '\n')
            line = "\r\n";
    }
    line += FormatIndexLine(rec);
    line += "\r\n";
    ssize_t n;
    do
        n = ::write(fd.get(), line.data(), line.size());
    while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(line.size()) || ::fdatasync(fd.get()) != 0) {
        const int err = n >= 0 && n < static_cast<ssize_t>(line.size()) ? ENOSPC : errno;
        // Whatever part of the line got there goes again.
        SetError(sError, sPath, ::ftruncate(fd.get(), end) == 0 ? err : errno);
        return false;
    }
    return true;
}

IndexUpdate UpdateIndexRecord(const std::string& sPath, std::string_view sFile,
                              const std::function<void(CDataStructure&)>& change,
                              std::string* sError) {
    Fd in(::open(sPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        if (errno == ENOENT)
            return IndexUpdate::NoRecord;
        SetError(sError, sPath, errno);
        return IndexUpdate::Failed;
    }
    struct stat st {};
    off_t end = 0;
    if (::fstat(in.get(), &st) != 0) {
        SetError(sError, sPath, errno);
        return IndexUpdate::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        if (sError)
            *sError = UnreadableIndexText(sPath);
        return IndexUpdate::Failed;
    }
    if (!ContentEnd(in.get(), st.st_size, end)) {
        SetError(sError, sPath, errno);
        return IndexUpdate::Failed;
    }
    // Where the record's line is.
    LineReader reader(in.get());
    std::string line;
    off_t offset = 0;
    bool bEnded = false;
    CDataStructure rec;
    bool bFound = false;
    while (!bFound && reader.Next(line, offset, bEnded) && offset < end) {
        if (!MayHoldKey(line, sFile))
            continue;
        rec = ParseIndexLine(line);
        bFound = rec.m_sFile == sFile;
    }
    if (reader.Failed()) {
        SetError(sError, sPath, EIO);
        return IndexUpdate::Failed;
    }
    if (!bFound)
        return IndexUpdate::NoRecord;
    change(rec);
    const off_t lineEnd =
        std::min<off_t>(end, offset + static_cast<off_t>(line.size()) + (bEnded ? 1 : 0));

    std::string tmp = sPath + ".XXXXXX";
    Fd out(::mkstemp(tmp.data()));
    if (out.get() < 0) {
        SetError(sError, sPath, errno);
        return IndexUpdate::Failed;
    }
    const std::string newLine = FormatIndexLine(rec) + "\r\n";
    bool ok = CopyRange(in.get(), out.get(), 0, offset) &&
              WriteAll(out.get(), newLine.data(), newLine.size()) &&
              CopyRange(in.get(), out.get(), lineEnd, end) &&
              ::fchmod(out.get(), st.st_mode & 07777) == 0 && ::fsync(out.get()) == 0;
    int err = errno;
    ok = ::close(out.release()) == 0 && ok;
    if (ok && ::rename(tmp.c_str(), sPath.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        SetError(sError, sPath, err);
        return IndexUpdate::Failed;
    }
    return IndexUpdate::Changed;
}

std::string CIndexReserve::PathFor(const std::string& sIndexPath) {
    const size_t slash = sIndexPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : sIndexPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? sIndexPath : sIndexPath.substr(slash + 1);
    return folder + "." + name + ".reserve";
}

bool CIndexReserve::Take(const std::string& sIndexPath) {
    Release();
    struct stat st {};
    const off_t size = ::stat(sIndexPath.c_str(), &st) == 0 ? st.st_size : 0;
    const std::string path = PathFor(sIndexPath);
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return false;
    if (::posix_fallocate(fd.get(), 0, size + kReserveMargin) != 0) {
        ::unlink(path.c_str());
        return false;
    }
    m_sPath = path;
    return true;
}

void CIndexReserve::Release() {
    if (m_sPath.empty())
        return;
    ::unlink(m_sPath.c_str());
    m_sPath.clear();
}
