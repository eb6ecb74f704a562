// A bare pseudo-terminal pair for tests of the serial layer: the code under
// test opens SlavePath() as its port, the test plays the far end on the
// master descriptor.
#pragma once

#include <cstdint>
#include <string>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slave; }
    int Master() const { return m_master; }

    void Send(const std::string& bytes);
    // Reads from the master until want bytes arrived or timeoutMs passed.
    std::string Receive(size_t want, int timeoutMs);
    // Reads until text is part of what arrived, or timeoutMs passed.
    std::string ReceiveUntil(const std::string& text, int timeoutMs);
    // Closes the master: the device vanishes for the slave side.
    void CloseMaster();

private:
    int m_master = -1;
    std::string m_slave;
};
