#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace zv {

// Sound output. Where the machine has no sound device both calls quietly do nothing.
class Sound {
public:
    virtual ~Sound() = default;

    // Plays a complete RIFF WAVE image held in memory and returns when it has ended.
    virtual void playWaveImage(std::span<const std::byte> image) = 0;
    // Starts playing a WAVE file and returns at once; a file still waiting to start is
    // replaced by the newer one.
    virtual void playWaveFile(const std::string& path) = 0;
};

} // namespace zv
