#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

// Makes a named pipe at path and runs open against it. Yields true when open sat waiting for
// a writer to appear (the watch then plays the writer, so the test ends either way).
inline bool WaitedOnFifo(const std::string& path, const std::function<void()>& open) {
    if (::mkfifo(path.c_str(), 0600) != 0)
        return true; // no fixture: report it as the fault, never as a pass
    std::atomic<bool> done = false;
    std::atomic<bool> waited = false;
    std::thread writer([&] {
        while (!done) {
            // Opening the write end without blocking works only while a reader holds it.
            const int descriptor = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (descriptor >= 0) {
                waited = true;
                ::close(descriptor);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    open();
    done = true;
    writer.join();
    return waited;
}
