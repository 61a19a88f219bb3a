#include "platform/sound/WaveImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace zv;

namespace {

// Builds RIFF images chunk by chunk.
class WaveBuilder {
public:
    WaveBuilder& chunk(const std::string& tag, const std::vector<std::uint8_t>& body, std::uint32_t claimedSize = 0)
    {
        m_chunks.insert(m_chunks.end(), tag.begin(), tag.end());
        put32(claimedSize ? claimedSize : static_cast<std::uint32_t>(body.size()));
        m_chunks.insert(m_chunks.end(), body.begin(), body.end());
        if (body.size() % 2 && !claimedSize)
            m_chunks.push_back(0);
        return *this;
    }
    WaveBuilder& format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
    {
        std::vector<std::uint8_t> body;
        const auto add = [&body](std::uint32_t value, int width) {
            for (int i = 0; i < width; ++i)
                body.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        };
        add(tag, 2);
        add(channels, 2);
        add(rate, 4);
        add(rate * channels * bits / 8, 4);
        add(channels * bits / 8, 2);
        add(bits, 2);
        return chunk("fmt ", body);
    }
    std::vector<std::byte> image(const char* riff = "RIFF") const
    {
        std::vector<std::byte> out;
        for (const char c : std::string(riff) + "????WAVE")
            out.push_back(static_cast<std::byte>(c));
        for (const std::uint8_t b : m_chunks)
            out.push_back(static_cast<std::byte>(b));
        return out;
    }

private:
    void put32(std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            m_chunks.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    std::vector<std::uint8_t> m_chunks;
};

} // namespace

TEST(WaveImage, PcmFormatAndSamplesAreFound)
{
    const auto image = WaveBuilder().format(1, 2, 44100, 16).chunk("data", std::vector<std::uint8_t>(40, 7)).image();
    const auto wave = WaveImage::parse(image);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->sampleFormat(), WaveImage::SampleFormat::Signed16);
    EXPECT_EQ(wave->channels(), 2u);
    EXPECT_EQ(wave->sampleRate(), 44100u);
    EXPECT_EQ(wave->frameCount(), 10u);
    EXPECT_EQ(wave->samples().data(), image.data() + 12 + 8 + 16 + 8);
}

TEST(WaveImage, OtherChunksAndTheirPaddingAreSkipped)
{
    const auto image = WaveBuilder()
                           .chunk("LIST", {1, 2, 3})
                           .format(1, 1, 8000, 8)
                           .chunk("fact", {0, 0, 0, 0})
                           .chunk("data", {10, 20, 30})
                           .image();
    const auto wave = WaveImage::parse(image);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->sampleFormat(), WaveImage::SampleFormat::Unsigned8);
    ASSERT_EQ(wave->frameCount(), 3u);
    EXPECT_EQ(wave->samples()[0], std::byte{10});
}

TEST(WaveImage, DataLongerThanTheImageIsCutToWholeFrames)
{
    const auto image = WaveBuilder().format(1, 1, 22050, 16).chunk("data", {1, 2, 3, 4, 5}, 0x7FFFFFF0).image();
    const auto wave = WaveImage::parse(image);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->frameCount(), 2u);
    EXPECT_EQ(wave->samples().size(), 4u);
}

TEST(WaveImage, ExtensibleFormatTakesItsSubFormat)
{
    std::vector<std::uint8_t> body{0xFE, 0xFF, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0,
                                   22, 0, 16, 0, 4, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA,
                                   0, 0x38, 0x9B, 0x71};
    body[14] = 32; // float samples of 32 bits
    const auto image = WaveBuilder().chunk("fmt ", body).chunk("data", std::vector<std::uint8_t>(8)).image();
    const auto wave = WaveImage::parse(image);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->sampleFormat(), WaveImage::SampleFormat::Float32);
    EXPECT_EQ(wave->frameCount(), 2u);
}

TEST(WaveImage, AnythingElseIsRefused)
{
    const std::vector<std::uint8_t> samples(8);
    EXPECT_FALSE(WaveImage::parse(WaveBuilder().format(1, 1, 8000, 16).chunk("data", samples).image("RIFX")));
    EXPECT_FALSE(WaveImage::parse(WaveBuilder().chunk("data", samples).image()));
    EXPECT_FALSE(WaveImage::parse(WaveBuilder().format(1, 1, 8000, 16).image()));
    EXPECT_FALSE(WaveImage::parse(WaveBuilder().format(2, 1, 8000, 4).chunk("data", samples).image())); // ADPCM
    EXPECT_FALSE(WaveImage::parse(WaveBuilder().format(1, 1, 8000, 12).chunk("data", samples).image()));
    EXPECT_FALSE(WaveImage::parse(WaveBuilder().format(1, 0, 8000, 16).chunk("data", samples).image()));
    EXPECT_FALSE(WaveImage::parse(WaveBuilder().chunk("fmt ", {1, 0, 1, 0}).chunk("data", samples).image()));
    const std::vector<std::byte> cut(WaveBuilder().format(1, 1, 8000, 16).image());
    EXPECT_FALSE(WaveImage::parse(std::span(cut).first(20)));
    EXPECT_FALSE(WaveImage::parse({}));
}
