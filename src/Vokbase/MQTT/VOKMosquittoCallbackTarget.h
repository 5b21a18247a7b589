#pragma once

struct mosquitto_message;

// Receives the callbacks of one libmosquitto handle (VOKMosquittoHandle).
//
// Threads: the library's network thread, or the caller's thread for a log line written from
// inside a library call. A target must not wait for the main thread in these functions: the
// main thread may be waiting for the callback to end in order to tear the handle down.
class VOKMosquittoCallbackTarget
{
public:
    virtual void mosquittoConnected(int result) = 0;
    // The message is the library's and valid only during the call.
    virtual void mosquittoReceivedMessage(const mosquitto_message &message) = 0;
    // errorNumber is errno as it was when the library called back.
    virtual void mosquittoDisconnected(int result, int errorNumber) = 0;
    // Only warning and error lines reach the target.
    virtual void mosquittoLogged(int level, const char *text) = 0;

protected:
    ~VOKMosquittoCallbackTarget() = default;
};
