// Helpers of the platform layer that stand where a callback or a lock is required but nothing is
// to be done: the run-time is single-threaded on its main thread.
#pragma once

inline bool ReturnTrue() { return true; }

inline void DoNothing(const void* /*argument*/) {}

// A named lock that holds nothing: locking succeeds at once, unlocking does nothing.
class Mutex {
public:
    explicit Mutex(const char* /*name*/) {}
    bool Lock() { return true; }
    void Unlock() {}
};
