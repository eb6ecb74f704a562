// The few line steps the worker's parts ask of the worker that owns the
// device: each part takes this instead of the whole worker.
#pragma once

class ICallControl {
public:
    // Opens the device and brings it to waiting for calls.
    virtual void OpenDevice() = 0;
    // Takes the line (answers the call or picks it up).
    virtual void GoOffHook() = 0;
    // Ends the call: the line hung up, the call's flags cleared.
    virtual void StopCall() = 0;

protected:
    ~ICallControl() = default;
};
