#include "frontend/ExitSignal.h"

#include <QDebug>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

extern "C" void OnExitSignalArrived(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request: nothing is lost.
    (void)!::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}
} // namespace

CExitSignal::CExitSignal(QObject* parent) : QObject(parent) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("SIGTERM will not end Vorella in order: no pipe (%s)", std::strerror(errno));
        return;
    }
    m_pNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    connect(m_pNotifier.get(), &QSocketNotifier::activated, this, &CExitSignal::OnReadable);
    struct sigaction sa {};
    sa.sa_handler = OnExitSignalArrived;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

CExitSignal::~CExitSignal() {
    if (g_signalPipe[0] < 0)
        return;
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    m_pNotifier.reset();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

void CExitSignal::OnReadable() {
    char buffer[64];
    while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    emit exitRequested();
}
