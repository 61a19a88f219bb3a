#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zv {

// The playable part of a RIFF WAVE image: its sample format and where its samples lie in the
// image. Only uncompressed PCM (8, 16, 24, 32 bit) and 32-bit float are taken.
class WaveImage {
public:
    enum class SampleFormat { Unsigned8, Signed16, Signed24, Signed32, Float32 };

    // Nothing when the image is no WAVE, is cut short before its format, or holds another
    // encoding. A data chunk longer than the image is cut to what is there.
    static std::optional<WaveImage> parse(std::span<const std::byte> image);

    SampleFormat sampleFormat() const { return m_format; }
    unsigned channels() const { return m_channels; }
    unsigned sampleRate() const { return m_sampleRate; }
    unsigned bitsPerSample() const { return m_bitsPerSample; }
    std::size_t frameBytes() const { return std::size_t{m_channels} * (m_bitsPerSample / 8); }
    std::size_t frameCount() const { return m_samples.size() / frameBytes(); }
    // Whole frames only.
    std::span<const std::byte> samples() const { return m_samples.first(frameCount() * frameBytes()); }

private:
    SampleFormat m_format = SampleFormat::Signed16;
    unsigned m_channels = 1;
    unsigned m_sampleRate = 0;
    unsigned m_bitsPerSample = 16;
    std::span<const std::byte> m_samples;
};

} // namespace zv
