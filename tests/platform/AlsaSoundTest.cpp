#include "platform/sound/AlsaSound.h"
#include "platform/desktop/Resources.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace zv;

// These machines may have no sound device: every call must come back quietly.
TEST(AlsaSound, PlaysOrQuietlyDoesNothing)
{
    AlsaSound sound;
    const QByteArray click = Resources::data("PREKO");
    ASSERT_FALSE(click.isEmpty());
    sound.playWaveImage(std::as_bytes(std::span(click.constData(), static_cast<std::size_t>(click.size()))));
    const char garbage[] = "RIFF\x04\0\0\0WAVEdata";
    sound.playWaveImage(std::as_bytes(std::span(garbage)));
    sound.playWaveImage({});
}

TEST(AlsaSound, FilesPlayOnTheirOwnThreadAndEndWithTheSound)
{
    test::TempDir dir;
    const QByteArray click = Resources::data("PREKO");
    test::writeFile(dir.path() / "click.wav", click.toStdString());
    {
        AlsaSound sound;
        sound.playWaveFile(dir.file("missing.wav"));
        sound.playWaveFile(dir.file("click.wav"));
        sound.playWaveFile(dir.file("click.wav"));
    } // the destructor cuts the sound short and joins its thread
    SUCCEED();
}
