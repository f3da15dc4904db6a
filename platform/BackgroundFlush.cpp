#include "platform/BackgroundFlush.h"

#include "platform/FaultInjection.h"
#include "platform/FileSteps.h"

BackgroundFlush::BackgroundFlush(const std::string& path) {
    descriptor_ = OpenForFlushing(path);
    if (descriptor_ >= 0)
        thread_ = std::thread([this] { Run(); });
}

BackgroundFlush::~BackgroundFlush() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    if (descriptor_ >= 0)
        CloseFile(descriptor_);
}

void BackgroundFlush::Request() {
    {
        std::lock_guard lock(mutex_);
        requested_ = true;
    }
    wake_.notify_one();
}

void BackgroundFlush::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return requested_ || stopping_; });
        if (stopping_)
            return;
        requested_ = false;
        lock.unlock();
        // Tests that count file steps skip real flushes, as the file layer does then.
        if (!FaultInjection::Active())
            FlushDataEarly(descriptor_);
        lock.lock();
    }
}
