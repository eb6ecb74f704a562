// The greeting recorder's way to the real worker: its requests go through
// the call state's request code like the other windows' requests.
#pragma once

#include "app/GreetingRecorder.h"

class CEngineWorker;

class CEngineGreetingLine : public IGreetingLine {
public:
    explicit CEngineGreetingLine(CEngineWorker& worker) : m_worker(worker) {}

    bool IsReady() const override;
    // The worker reads the source only while it handles a request, which
    // starts after the request is posted and has ended when the request is
    // no longer pending; the recorder changes it only outside that time.
    int LineSelection() const override;
    void SetLineSelection(int nSource) override;
    void SetPlayFile(const std::string& sFile) override;
    void RequestAction(int32_t nAction) override;
    bool IsActionPending() const override;
    void Stop() override;
    void HoldQuiet(bool bOn) override;

private:
    CEngineWorker& m_worker;
};
