#include "AdapterTestWorker.h"

void CTestAdapterWorker::Log(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_log.push_back(line);
}

std::vector<ThreadMessage> CTestAdapterWorker::Take() {
    std::vector<ThreadMessage> out;
    while (auto m = queue.TryGet())
        out.push_back(*m);
    return out;
}

std::vector<ThreadMessage> CTestAdapterWorker::TakeUpTo(const ThreadMessage& last) {
    std::vector<ThreadMessage> got;
    while (auto m = queue.Wait(10000)) {
        got.push_back(*m);
        if (*m == last)
            break;
    }
    return got;
}

std::vector<std::string> CTestAdapterWorker::LogLines() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::string CallerIdMessage(const std::string& params, bool bChecksum) {
    std::string m;
    m += '\x80';
    m += static_cast<char>(params.size());
    m += params;
    if (bChecksum) {
        unsigned sum = 0;
        for (char c : m)
            sum += static_cast<unsigned char>(c);
        m += static_cast<char>((256 - (sum & 0xFF)) & 0xFF);
    }
    return m;
}
