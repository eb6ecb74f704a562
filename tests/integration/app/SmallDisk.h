// A data folder on a small file system for the full-disk stories, and what
// such a story checks of the message the full disk cut.
#pragma once

#include "ChildProcess.h"

#include <filesystem>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <vector>

// A data folder on a small file system: a tmpfs of its own in a mount
// namespace of this test's thread (the service started from it sees it),
// or, where mounting is not allowed, a file-size limit the service inherits.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, size_t nBytes) : m_sFolder(folder), m_nBytes(nBytes) {
        std::filesystem::create_directories(folder);
        const std::string options = "size=" + std::to_string(nBytes / 1024) + "k";
        m_bMounted = ::unshare(CLONE_NEWNS) == 0 &&
                     ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                     ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (m_bMounted)
            ::umount2(m_sFolder.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_bMounted; }
    // Starts the service, under the file-size limit when nothing was mounted.
    bool Launch(BackgroundProgram& service, const std::vector<std::string>& argv,
                const std::string& log) {
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit tight = old;
        tight.rlim_cur = m_nBytes;
        if (!m_bMounted && ::setrlimit(RLIMIT_FSIZE, &tight) != 0)
            return false;
        const bool ok = service.Launch(argv, log);
        ::setrlimit(RLIMIT_FSIZE, &old);
        return ok;
    }

private:
    std::string m_sFolder;
    size_t m_nBytes;
    bool m_bMounted = false;
};

// Checks, as test failures, that the log tells the recording was cut
// ("the disk is full: the recording was cut after N s", or the file-size
// limit's words) and stored with those N seconds, that the file ends in
// whole samples its header counts, and that the index (indexFile) lists it
// with that length and a number containing numberPart.
void ExpectMessageCutWhereTheDiskFilled(const std::string& log, const std::string& indexFile,
                                        const std::string& numberPart);
