// The model detection of the wizard's serial page, on a helper thread with a
// modem driver of its own (the worker has let the device go while the wizard
// is open). The UI thread starts it, shows its progress and may cancel it;
// it never waits for it.
#pragma once

#include "engine/UiBridge.h"

#include <QObject>
#include <QString>

#include <memory>

class CModemDetection : public QObject {
    Q_OBJECT
public:
    // bridge: where the detection's messages and questions go (any thread).
    explicit CModemDetection(IUiBridge& bridge, QObject* parent = nullptr);
    // Cancels a detection still running; its result is dropped.
    ~CModemDetection() override;

    // Detects the modem on COM<nComPort> (a port scan first, after asking,
    // when nComPort is below 1), starting from the profile sModem.
    void Start(int nComPort, const std::string& sModem, uint32_t dwBaudRate);
    // The result of the running detection is dropped; the modem is let go as
    // soon as its current command has had its answer.
    void Cancel();
    bool IsRunning() const { return m_bRunning; }

signals:
    // A status line of the detection ("Scanning COM9...").
    void progress(const QString& text);
    // bFound: a model was suggested; sModem is it. nComPort is the port the
    // modem answered on (0 when none), nCidType the caller-ID type it
    // offers (-1 not known). sWhy says why the port did not open ("" when
    // it did): a missing device, or the program that holds it.
    void finished(bool bFound, int nComPort, const QString& sModem, int nCidType,
                  const QString& sWhy);

private:
    struct Run;
    IUiBridge& m_bridge;
    std::shared_ptr<Run> m_pRun;
    bool m_bRunning = false;
};
