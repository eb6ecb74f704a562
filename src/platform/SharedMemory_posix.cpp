#include "platform/SharedMemory.h"

#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Moves len bytes at offset with pread or pwrite, going on after short
// transfers and interruptions; false when the block ends first or on error.
template <class Io, class Ptr>
bool TransferAll(Io io, int fd, Ptr p, size_t offset, size_t len) {
    while (len > 0) {
        ssize_t n = io(fd, p, len, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        offset += static_cast<size_t>(n);
        len -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

SharedMemoryBlock::~SharedMemoryBlock() {
    Close();
}

SharedMemoryBlock::OpenResult SharedMemoryBlock::Open(const std::string& name, size_t size,
                                                      OpenMode mode, std::string* error) {
    Close();
    auto fail = [&](OpenResult r, const std::string& why) {
        if (error)
            *error = why;
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        return r;
    };
    int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
    bool created = false;
    if (mode == OpenMode::Create) {
        m_fd = ::shm_open(name.c_str(), flags | O_CREAT | O_EXCL, 0600);
        if (m_fd >= 0)
            created = true;
        else if (errno == EEXIST)
            m_fd = ::shm_open(name.c_str(), flags, 0600);
    } else {
        m_fd = ::shm_open(name.c_str(), flags, 0600);
    }
    if (m_fd < 0) {
        if (errno == ENOENT)
            return fail(OpenResult::NotFound, StrPrintf("no control block %s", name.c_str()));
        if (errno == EACCES)
            return fail(OpenResult::NotPrivate,
                        StrPrintf("the control block %s belongs to another user", name.c_str()));
        return fail(OpenResult::Failed, StrPrintf("cannot open the control block %s: %s",
                                                  name.c_str(), std::strerror(errno)));
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        return fail(OpenResult::Failed, StrPrintf("cannot inspect the control block %s: %s",
                                                  name.c_str(), std::strerror(errno)));
    if (st.st_uid != ::geteuid())
        return fail(OpenResult::NotPrivate,
                    StrPrintf("the control block %s belongs to another user (uid %u)", name.c_str(),
                              static_cast<unsigned>(st.st_uid)));
    if ((st.st_mode & 077) != 0) {
        // Our own block with loose permissions: someone opened it up. Close it
        // again rather than refuse, since only its owner could have done that.
        if (::fchmod(m_fd, 0600) != 0)
            return fail(OpenResult::NotPrivate,
                        StrPrintf("the control block %s is open to other users", name.c_str()));
    }
    if (static_cast<size_t>(st.st_size) < size) {
        if (mode == OpenMode::OpenExisting)
            return fail(OpenResult::Failed,
                        StrPrintf("the control block %s is too small (%lld bytes)", name.c_str(),
                                  static_cast<long long>(st.st_size)));
        if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
            return fail(OpenResult::Failed, StrPrintf("cannot size the control block %s: %s",
                                                      name.c_str(), std::strerror(errno)));
    }
    m_nSize = size;
    m_sName = name;
    m_bOwner = created || mode == OpenMode::Create;
    return OpenResult::Ok;
}

void SharedMemoryBlock::Close() {
    Unmap();
    if (m_fd >= 0) {
        ::close(m_fd);
        if (m_bOwner)
            ::shm_unlink(m_sName.c_str());
    }
    m_fd = -1;
    m_nSize = 0;
    m_bOwner = false;
    m_sName.clear();
}

uint8_t* SharedMemoryBlock::Map() {
    if (m_pView || m_fd < 0)
        return m_pView;
    void* p = ::mmap(nullptr, m_nSize, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    m_pView = p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
    return m_pView;
}

void SharedMemoryBlock::Unmap() {
    if (m_pView)
        ::munmap(m_pView, m_nSize);
    m_pView = nullptr;
}

bool SharedMemoryBlock::ReadAt(size_t offset, void* buf, size_t len) const {
    if (m_fd < 0 || offset > m_nSize || len > m_nSize - offset)
        return false;
    return TransferAll(::pread, m_fd, static_cast<char*>(buf), offset, len);
}

bool SharedMemoryBlock::WriteAt(size_t offset, const void* buf, size_t len) {
    if (m_fd < 0 || offset > m_nSize || len > m_nSize - offset)
        return false;
    // Writing past a shrunk end would silently grow the block again; check.
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || static_cast<size_t>(st.st_size) < offset + len)
        return false;
    return TransferAll(::pwrite, m_fd, static_cast<const char*>(buf), offset, len);
}

bool SharedMemoryBlock::Lock(uint32_t timeoutMs) {
    if (m_fd < 0)
        return false;
    const uint32_t start = GetTickCount();
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        SleepMs(2);
    }
}

void SharedMemoryBlock::Unlock() {
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_UN);
}

bool SharedMemoryBlock::Remove(const std::string& name) {
    return ::shm_unlink(name.c_str()) == 0;
}
