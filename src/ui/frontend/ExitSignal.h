// SIGTERM and SIGINT end the desktop program in order, as they end the
// service: the handler only writes a byte to a pipe, and the event loop,
// watching the pipe, asks for the orderly exit.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

class CExitSignal : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one object per process.
    explicit CExitSignal(QObject* parent = nullptr);
    ~CExitSignal() override;

signals:
    void exitRequested();

private:
    void OnReadable();
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
