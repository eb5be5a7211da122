// The stop of one monitoring run.
#include "monitor/stop_token.h"

namespace pagorin::monitor {

bool StopToken::stopRequested() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

void StopToken::requestStop() {
    {
        // Taking the lock waits for a write in progress; after it none can start. The
        // actions run under it too, so none outlives its registration.
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        stopped_ = true;
        for (auto& [id, action] : actions_) action();
        actions_.clear();
    }
    wake_.notify_all();
}

bool StopToken::waitFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return stopped_; });
}

bool StopToken::writeUnlessStopped(const std::function<void()>& write) {
    std::lock_guard lock(mutex_);
    if (stopped_) return false;
    write();
    return true;
}

StopToken::Registration StopToken::onStop(std::function<void()> action) {
    uint64_t id;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        if (!stopped_) {
            actions_.emplace(id, std::move(action));
            return Registration(*this, id);
        }
    }
    action();
    return Registration(*this, id);
}

StopToken::Registration::~Registration() {
    std::lock_guard lock(token_->mutex_);
    token_->actions_.erase(id_);
}

}  // namespace pagorin::monitor
