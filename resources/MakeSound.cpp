// Writes the program's sounds as RIFF WAVE images, PCM, mono, 22050 Hz, 16 bit. Run by the
// build, so the sounds are reviewable as code:
//   PREKO            the button's click: 297 samples of a damped 2.5 kHz tone;
//   winOrbelSysExit  the completion chime: two soft bell tones, a fifth apart.
#include <algorithm>
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
constexpr int clickSamples = 297;
constexpr int chimeSamples = sampleRate * 7 / 10;

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

// A bell-like tone: a fundamental with a quieter octave, quick attack, slow decay.
double bell(double t, double frequency)
{
    if (t < 0)
        return 0;
    const double attack = std::min(1.0, t / 0.004);
    const double decay = std::exp(-t / 0.18);
    return attack * decay
        * (std::sin(2.0 * std::numbers::pi * frequency * t)
           + 0.3 * std::sin(4.0 * std::numbers::pi * frequency * t));
}

std::int16_t chimeSample(int index)
{
    const double t = static_cast<double>(index) / sampleRate;
    const double fadeOut = std::min(1.0, (chimeSamples - index) / 400.0);
    const double value = 0.35 * (bell(t, 880.0) + bell(t - 0.14, 1318.5)) * fadeOut;
    return static_cast<std::int16_t>(std::lround(32767.0 * std::clamp(value, -1.0, 1.0)));
}

std::vector<char> waveImage(int sampleCount, std::int16_t (*sample)(int))
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
        put16(out, static_cast<std::uint16_t>(sample(i)));
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string name = argc == 3 ? argv[1] : "";
    if (name != "PREKO" && name != "winOrbelSysExit") {
        std::cerr << "usage: " << argv[0] << " PREKO|winOrbelSysExit OUTPUT.wav\n";
        return 2;
    }
    const std::vector<char> image = name == "PREKO" ? waveImage(clickSamples, clickSample)
                                                    : waveImage(chimeSamples, chimeSample);
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file.write(image.data(), static_cast<std::streamsize>(image.size()));
    if (!file) {
        std::cerr << "cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
