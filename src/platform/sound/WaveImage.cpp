#include "platform/sound/WaveImage.h"

#include <algorithm>
#include <cstring>

namespace zv {

namespace {

constexpr std::uint16_t formatPcm = 1;
constexpr std::uint16_t formatFloat = 3;
constexpr std::uint16_t formatExtensible = 0xFFFE;

std::uint32_t little(std::span<const std::byte> bytes, std::size_t at, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

bool hasTag(std::span<const std::byte> bytes, std::size_t at, const char* tag)
{
    return bytes.size() >= at + 4 && std::memcmp(bytes.data() + at, tag, 4) == 0;
}

std::optional<WaveImage::SampleFormat> formatOf(std::uint16_t tag, unsigned bits)
{
    if (tag == formatFloat)
        return bits == 32 ? std::optional(WaveImage::SampleFormat::Float32) : std::nullopt;
    if (tag != formatPcm)
        return std::nullopt;
    switch (bits) {
    case 8: return WaveImage::SampleFormat::Unsigned8;
    case 16: return WaveImage::SampleFormat::Signed16;
    case 24: return WaveImage::SampleFormat::Signed24;
    case 32: return WaveImage::SampleFormat::Signed32;
    default: return std::nullopt;
    }
}

} // namespace

std::optional<WaveImage> WaveImage::parse(std::span<const std::byte> image)
{
    if (!hasTag(image, 0, "RIFF") || !hasTag(image, 8, "WAVE"))
        return std::nullopt;

    WaveImage wave;
    bool haveFormat = false;
    bool haveData = false;
    std::size_t at = 12;
    while (at + 8 <= image.size() && !(haveFormat && haveData)) {
        const std::size_t size = little(image, at + 4, 4);
        const std::size_t body = at + 8;
        const std::size_t available = std::min(size, image.size() - body);
        if (hasTag(image, at, "fmt ")) {
            if (available < 16)
                return std::nullopt;
            std::uint16_t tag = static_cast<std::uint16_t>(little(image, body, 2));
            if (tag == formatExtensible && available >= 26)
                tag = static_cast<std::uint16_t>(little(image, body + 24, 2));
            wave.m_channels = little(image, body + 2, 2);
            wave.m_sampleRate = little(image, body + 4, 4);
            wave.m_bitsPerSample = little(image, body + 14, 2);
            const auto format = formatOf(tag, wave.m_bitsPerSample);
            if (!format || wave.m_channels < 1 || wave.m_channels > 8 || wave.m_sampleRate < 1000
                || wave.m_sampleRate > 384000)
                return std::nullopt;
            wave.m_format = *format;
            haveFormat = true;
        } else if (hasTag(image, at, "data")) {
            wave.m_samples = image.subspan(body, available);
            haveData = true;
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    if (!haveFormat || !haveData)
        return std::nullopt;
    return wave;
}

} // namespace zv
