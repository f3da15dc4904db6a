#include "playback/SampleRing.h"

#include <algorithm>

std::size_t SampleRing::Put(const std::int16_t* samples, std::size_t count) {
    count = std::min(count, Free());
    for (std::size_t done = 0; done < count;) {
        const std::size_t end = (start_ + size_) % samples_.size();
        const std::size_t piece = std::min(count - done, samples_.size() - end);
        std::copy_n(samples + done, piece, samples_.begin() + static_cast<std::ptrdiff_t>(end));
        done += piece;
        size_ += piece;
    }
    return count;
}

std::size_t SampleRing::Take(std::int16_t* samples, std::size_t count) {
    count = std::min(count, size_);
    for (std::size_t done = 0; done < count;) {
        const std::size_t piece = std::min(count - done, samples_.size() - start_);
        std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(start_), piece, samples + done);
        done += piece;
        start_ = (start_ + piece) % samples_.size();
        size_ -= piece;
    }
    return count;
}
