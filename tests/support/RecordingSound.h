#pragma once

#include "platform/services/Sound.h"

#include <string>
#include <vector>

namespace zv::test {

// Keeps every sound it is asked to play instead of playing it.
class RecordingSound final : public Sound {
public:
    void playWaveImage(std::span<const std::byte> image) override { images.emplace_back(image.begin(), image.end()); }
    void playWaveFile(const std::string& path) override { files.push_back(path); }

    std::vector<std::vector<std::byte>> images;
    std::vector<std::string> files;
};

} // namespace zv::test
