// A named POSIX shared-memory block, private to the user who runs Vorella.
//
// The block may be written by other programs at any moment, even shrunk
// under us; ReadAt and WriteAt therefore go through the descriptor (a short
// read is an error), where a read through a mapping of a shrunk block would
// kill the process with SIGBUS. Map() is there for readers that trust the
// block's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class SharedMemoryBlock {
public:
    enum class OpenMode {
        Create,       // create, or reuse one left behind by a crashed instance
        OpenExisting, // a client: the block must already exist
    };
    enum class OpenResult { Ok, NotFound, NotPrivate, Failed };

    SharedMemoryBlock() = default;
    ~SharedMemoryBlock();
    SharedMemoryBlock(const SharedMemoryBlock&) = delete;
    SharedMemoryBlock& operator=(const SharedMemoryBlock&) = delete;

    // Opens name ("/Something") with mode 0600, refusing a block that belongs
    // to another user or that others may open. Create makes it at least size
    // bytes; OpenExisting requires that much.
    OpenResult Open(const std::string& name, size_t size, OpenMode mode, std::string* error);
    // Unmaps, closes, and removes the name when this object created it.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    size_t Size() const { return m_nSize; }
    const std::string& Name() const { return m_sName; }

    // The whole block mapped read/write; nullptr on failure.
    uint8_t* Map();
    void Unmap();
    uint8_t* View() const { return m_pView; }

    // Exactly len bytes at offset, or false (a block shrunk by someone else).
    bool ReadAt(size_t offset, void* buf, size_t len) const;
    bool WriteAt(size_t offset, const void* buf, size_t len);

    // An advisory lock that clients hold while they use the block, so that two
    // programs driving Vorella at once never mix their requests. Waits at most
    // timeoutMs.
    bool Lock(uint32_t timeoutMs);
    void Unlock();

    static bool Remove(const std::string& name);

private:
    int m_fd = -1;
    size_t m_nSize = 0;
    uint8_t* m_pView = nullptr;
    std::string m_sName;
    bool m_bOwner = false;
};
