#pragma once

#include "platform/services/Sound.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace zv {

// Sound through ALSA's default device. Files play on a thread of their own, so the caller
// never waits for them.
class AlsaSound : public Sound {
public:
    AlsaSound();
    // Cuts a file that is still playing short and waits for its thread.
    ~AlsaSound() override;

    AlsaSound(const AlsaSound&) = delete;
    AlsaSound& operator=(const AlsaSound&) = delete;

    void playWaveImage(std::span<const std::byte> image) override;
    void playWaveFile(const std::string& path) override;

    // The program's sound for components that were given none.
    static AlsaSound& shared();

private:
    void playFiles();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::string> m_pendingFile;
    bool m_stopping = false;
    std::atomic<bool> m_cutShort{false};
    std::thread m_filePlayer;
};

} // namespace zv
