#pragma once

#include <functional>
#include <memory>

struct mosquitto;
class VOKMosquittoCallbackGate;
class VOKMosquittoCallbackTarget;

// Owns one libmosquitto client handle and routes its callbacks to a target.
//
// Destroying the handle detaches the target first (waiting only for callbacks that are running
// on other threads), then disconnects, stops the network thread and frees the library handle on a
// background thread, without waiting for the network.
//
// Threads: create and destroy on the owner's thread; get() from any thread while the handle lives.
// runInBackground() hands the library handle to a background thread for calls that may block.
class VOKMosquittoHandle
{
public:
    // A new handle with a library-generated client identifier and a clean session, or null when
    // the library cannot make one. The target is not owned and must outlive the handle.
    static std::unique_ptr<VOKMosquittoHandle> create(VOKMosquittoCallbackTarget *target);
    ~VOKMosquittoHandle();

    VOKMosquittoHandle(const VOKMosquittoHandle &) = delete;
    VOKMosquittoHandle &operator=(const VOKMosquittoHandle &) = delete;

    mosquitto *get() const { return m_mosq; }

    // Installs the connect, message, disconnect and log callbacks, in this order.
    void installCallbacks();

    // Runs the work on a background thread with the library handle, for calls that may wait on the
    // network (a connect request resolves the host name). Work that has not started when the
    // handle is destroyed never runs; the teardown waits for work that has.
    void runInBackground(std::function<void(mosquitto *)> work) const;

    // Waits until every handle given up so far has been torn down, at most the given time.
    // Answers whether they all were. For tests and orderly shutdown.
    static bool waitForTeardowns(int msecs);

private:
    struct Access;

    VOKMosquittoHandle(mosquitto *mosq, std::shared_ptr<VOKMosquittoCallbackGate> gate);

    mosquitto *m_mosq;
    std::shared_ptr<VOKMosquittoCallbackGate> m_gate;
    // Shared with background work, which may use the library handle only while it holds access.
    std::shared_ptr<Access> m_access;
};
