#include "platform/sound/AlsaSound.h"

#include "platform/sound/WaveImage.h"

#include <alsa/asoundlib.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace zv {

namespace {

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;

// ALSA reports a missing device on stderr; a machine without sound is no error here.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

snd_pcm_format_t alsaFormat(WaveImage::SampleFormat format)
{
    switch (format) {
    case WaveImage::SampleFormat::Unsigned8: return SND_PCM_FORMAT_U8;
    case WaveImage::SampleFormat::Signed16: return SND_PCM_FORMAT_S16_LE;
    case WaveImage::SampleFormat::Signed24: return SND_PCM_FORMAT_S24_3LE;
    case WaveImage::SampleFormat::Signed32: return SND_PCM_FORMAT_S32_LE;
    case WaveImage::SampleFormat::Float32: return SND_PCM_FORMAT_FLOAT_LE;
    }
    return SND_PCM_FORMAT_UNKNOWN;
}

// Plays the samples and returns when they have been heard, or at once when cutShort is set.
void playSamples(const WaveImage& wave, const std::atomic<bool>& cutShort)
{
    snd_pcm_t* opened = nullptr;
    if (snd_pcm_open(&opened, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0)
        return;
    const PcmHandle pcm(opened);
    constexpr unsigned latencyMicroseconds = 100000;
    if (snd_pcm_set_params(pcm.get(), alsaFormat(wave.sampleFormat()), SND_PCM_ACCESS_RW_INTERLEAVED,
                           wave.channels(), wave.sampleRate(), 1, latencyMicroseconds) < 0)
        return;

    const std::span<const std::byte> samples = wave.samples();
    std::size_t done = 0;
    int failures = 0;
    constexpr std::size_t chunkFrames = 1024;
    while (done < wave.frameCount() && !cutShort) {
        const std::size_t frames = std::min(chunkFrames, wave.frameCount() - done);
        const snd_pcm_sframes_t written =
            snd_pcm_writei(pcm.get(), samples.data() + done * wave.frameBytes(), frames);
        if (written < 0) {
            if (++failures > 3 || snd_pcm_recover(pcm.get(), static_cast<int>(written), 1) < 0)
                return;
            continue;
        }
        done += static_cast<std::size_t>(written);
    }
    if (cutShort)
        snd_pcm_drop(pcm.get());
    else
        snd_pcm_drain(pcm.get());
}

std::vector<std::byte> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const auto* first = reinterpret_cast<const std::byte*>(bytes.data());
    return {first, first + bytes.size()};
}

} // namespace

AlsaSound::AlsaSound()
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(ignoreAlsaError); });
}

AlsaSound::~AlsaSound()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_cutShort = true;
    }
    m_wake.notify_all();
    if (m_filePlayer.joinable())
        m_filePlayer.join();
}

AlsaSound& AlsaSound::shared()
{
    static AlsaSound sound;
    return sound;
}

void AlsaSound::playWaveImage(std::span<const std::byte> image)
{
    static const std::atomic<bool> never{false};
    if (const auto wave = WaveImage::parse(image))
        playSamples(*wave, never);
}

void AlsaSound::playWaveFile(const std::string& path)
{
    const std::lock_guard lock(m_mutex);
    m_pendingFile = path;
    if (!m_filePlayer.joinable())
        m_filePlayer = std::thread(&AlsaSound::playFiles, this);
    m_wake.notify_one();
}

void AlsaSound::playFiles()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_pendingFile; });
        if (m_stopping)
            return;
        const std::string path = std::move(*m_pendingFile);
        m_pendingFile.reset();
        lock.unlock();
        const std::vector<std::byte> image = readFile(path);
        if (const auto wave = WaveImage::parse(image))
            playSamples(*wave, m_cutShort);
        lock.lock();
    }
}

} // namespace zv
