// The simulator's end of the adapter socket: accepts the program (one
// connection at a time; it connects again after each close), answers its
// requests from the simulated adapter, keeps what it plays, and sends it
// the script's events and sound.
#pragma once

#include "adapter/SimulatedAdapter.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class CSimServer {
public:
    explicit CSimServer(std::shared_ptr<CSimulatedAdapter> sim) : m_sim(std::move(sim)) {}
    ~CSimServer();

    // Listens at path (a stale socket there is replaced); false with the
    // reason in *error.
    bool Listen(const std::string& path, std::string* error);
    // Sends a line to the program; false when none is connected.
    bool Send(std::string_view line);

private:
    void Serve();
    void ServeClient(int fd);

    std::shared_ptr<CSimulatedAdapter> m_sim;
    std::string m_sPath;
    int m_listenFd = -1;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
    std::mutex m_clientMutex;
    int m_clientFd = -1;
};
