#pragma once
#include <mutex>

// A recursive lock: the thread that holds it may enter again.
class TCriticalSection {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool TryEnter() { return mutex_.try_lock(); }

private:
    std::recursive_mutex mutex_;
};
