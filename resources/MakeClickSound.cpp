// Writes the button's entry click "PREKO": a RIFF WAVE image, PCM, mono, 22050 Hz, 16 bit,
// 297 samples of a damped 2.5 kHz tone. Run by the build, so the sound is reviewable as code.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t sampleRate = 22050;
constexpr std::uint16_t channels = 1;
constexpr std::uint16_t bitsPerSample = 16;
constexpr int sampleCount = 297;

void put16(std::vector<char>& out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void put32(std::vector<char>& out, std::uint32_t value)
{
    put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

void putTag(std::vector<char>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

std::int16_t clickSample(int index)
{
    const double t = static_cast<double>(index) / sampleRate;
    const double attack = std::min(1.0, index / 8.0);
    const double decay = std::exp(-t / 0.0028);
    const double tone = std::sin(2.0 * std::numbers::pi * 2500.0 * t);
    return static_cast<std::int16_t>(std::lround(0.6 * 32767.0 * attack * decay * tone));
}

std::vector<char> waveImage()
{
    const std::uint32_t dataBytes = sampleCount * channels * (bitsPerSample / 8);
    std::vector<char> out;
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, channels);
    put32(out, sampleRate);
    put32(out, sampleRate * channels * (bitsPerSample / 8));
    put16(out, channels * (bitsPerSample / 8));
    put16(out, bitsPerSample);
    putTag(out, "data");
    put32(out, dataBytes);
    for (int i = 0; i < sampleCount; ++i)
        put16(out, static_cast<std::uint16_t>(clickSample(i)));
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT.wav\n";
        return 2;
    }
    const std::vector<char> image = waveImage();
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(image.data(), static_cast<std::streamsize>(image.size()));
    if (!file) {
        std::cerr << "cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
