// The shared control block: private to its user, safe against a block that
// another program shrinks, and lockable between clients.
#include "TempHome.h"

#include "platform/RuntimeFolder.h"
#include "platform/SharedMemory.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr size_t kSize = 65535;

std::string UniqueName(const TempHome& home) {
    return ControlBlockName(home.Path() + "run/");
}

TEST(SharedMemory, CreatesAPrivateBlockThatClientsShareAndLock) {
    TempHome home;
    const std::string name = UniqueName(home);
    std::string error;
    SharedMemoryBlock server;
    ASSERT_EQ(server.Open(name, kSize, SharedMemoryBlock::OpenMode::Create, &error),
              SharedMemoryBlock::OpenResult::Ok)
        << error;
    struct stat st {};
    ASSERT_EQ(::stat(("/dev/shm" + name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(static_cast<size_t>(st.st_size), kSize);

    SharedMemoryBlock client;
    ASSERT_EQ(client.Open(name, kSize, SharedMemoryBlock::OpenMode::OpenExisting, &error),
              SharedMemoryBlock::OpenResult::Ok)
        << error;
    const char text[] = "hello";
    ASSERT_TRUE(client.WriteAt(kSize - sizeof text, text, sizeof text));
    uint8_t* view = server.Map();
    ASSERT_NE(view, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(view + kSize - sizeof text), "hello");
    char back[sizeof text] = {};
    ASSERT_TRUE(server.ReadAt(kSize - sizeof text, back, sizeof back));
    EXPECT_STREQ(back, "hello");
    // Out-of-range requests are refused, not clipped.
    EXPECT_FALSE(server.ReadAt(kSize - 2, back, 3));
    EXPECT_FALSE(client.WriteAt(kSize + 1, text, 0));

    // One client at a time holds the lock; one that dies holding it
    // releases it with its descriptor.
    SharedMemoryBlock other;
    ASSERT_EQ(other.Open(name, kSize, SharedMemoryBlock::OpenMode::OpenExisting, &error),
              SharedMemoryBlock::OpenResult::Ok);
    ASSERT_TRUE(client.Lock(1000));
    EXPECT_FALSE(other.Lock(50));
    client.Unlock();
    EXPECT_TRUE(other.Lock(1000));
    other.Close();
    EXPECT_TRUE(client.Lock(1000));

    // The creator removes the name when it closes; clients then find nothing.
    server.Close();
    SharedMemoryBlock late;
    EXPECT_EQ(late.Open(name, kSize, SharedMemoryBlock::OpenMode::OpenExisting, &error),
              SharedMemoryBlock::OpenResult::NotFound);
}

TEST(SharedMemory, AShrunkBlockGivesErrorsNotACrash) {
    TempHome home;
    const std::string name = UniqueName(home);
    std::string error;
    SharedMemoryBlock server;
    ASSERT_EQ(server.Open(name, kSize, SharedMemoryBlock::OpenMode::Create, &error),
              SharedMemoryBlock::OpenResult::Ok);
    int fd = ::shm_open(name.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 100), 0);
    ::close(fd);
    char buf[64];
    EXPECT_FALSE(server.ReadAt(1000, buf, sizeof buf));
    EXPECT_FALSE(server.WriteAt(1000, buf, sizeof buf));
    // Still readable below the new end.
    EXPECT_TRUE(server.ReadAt(0, buf, sizeof buf));

    SharedMemoryBlock client;
    EXPECT_EQ(client.Open(name, kSize, SharedMemoryBlock::OpenMode::OpenExisting, &error),
              SharedMemoryBlock::OpenResult::Failed);
    EXPECT_NE(error.find("too small"), std::string::npos) << error;
}

TEST(SharedMemory, RefusesABlockOfAnotherUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    TempHome home;
    const std::string name = UniqueName(home);
    pid_t pid = ::fork();
    if (pid == 0) {
        // Another user gets there first and leaves the block open to all.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT, 0666);
        ::_exit(fd >= 0 && ::ftruncate(fd, static_cast<off_t>(kSize)) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_EQ(WEXITSTATUS(status), 0);

    std::string error;
    SharedMemoryBlock server;
    EXPECT_EQ(server.Open(name, kSize, SharedMemoryBlock::OpenMode::Create, &error),
              SharedMemoryBlock::OpenResult::NotPrivate);
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
    SharedMemoryBlock client;
    EXPECT_EQ(client.Open(name, kSize, SharedMemoryBlock::OpenMode::OpenExisting, &error),
              SharedMemoryBlock::OpenResult::NotPrivate);
    SharedMemoryBlock::Remove(name);
}

} // namespace
