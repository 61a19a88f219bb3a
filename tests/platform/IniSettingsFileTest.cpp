#include "platform/files/IniSettingsFile.h"
#include "support/LockedFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zv;
using namespace zv::test;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

struct SettingsFolder {
    TempDir dir;
    const std::string file = dir.file("zare-vantrel.conf");

    std::string damagedText(const std::string& problem) const
    {
        return "The settings file \"" + file + "\" is damaged (" + problem + "). Zare Vantrel uses its default settings.";
    }
};

} // namespace

TEST(IniSettingsFile, AMissingFileMeansTheDefaultsAndAChangeIsWrittenPrivatelyAndReadBack)
{
    SettingsFolder folder;
    IniSettingsFile settings(folder.file);
    EXPECT_EQ(settings.load(), std::nullopt);
    EXPECT_EQ(settings.value("Downloads", "MaxRunning"), std::nullopt);

    settings.setValue("Downloads", "MaxRunning", "3");
    ASSERT_EQ(settings.save(), std::nullopt);

    EXPECT_EQ(readFile(folder.file), "[Downloads]\nMaxRunning=3\n");
    // Replaced as the list is (AtomicFileWriter): new files are private.
    EXPECT_EQ(fs::status(folder.file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    IniSettingsFile next(folder.file);
    EXPECT_EQ(next.load(), std::nullopt);
    EXPECT_EQ(next.value("Downloads", "MaxRunning"), "3");
}

TEST(IniSettingsFile, ARewriteKeepsUnknownSectionsKeysCommentsAndOrder)
{
    SettingsFolder folder;
    writeFile(folder.file, "; written by hand\r\n"
                           "Stray = 1\r\n"
                           "[Downloads]\n"
                           "Future=yes\n"
                           "MaxRunning = 2\n"
                           "MaxRunning=4\n"
                           "\n"
                           "[Other]\n"
                           "# a note\n"
                           "Key = a = b \n"
                           "[Downloads]\n"
                           "Later=1");
    IniSettingsFile settings(folder.file);
    ASSERT_EQ(settings.load(), std::nullopt);
    EXPECT_EQ(settings.value("Downloads", "MaxRunning"), "4"); // the last line counts
    EXPECT_EQ(settings.value("", "Stray"), "1");
    EXPECT_EQ(settings.value("Other", "Key"), "a = b");
    EXPECT_EQ(settings.value("other", "Key"), std::nullopt);

    settings.setValue("Downloads", "MaxRunning", "5");
    settings.setValue("Downloads", "Connections", "8");
    settings.setValue("Fresh", "A", "b");
    ASSERT_EQ(settings.save(), std::nullopt);

    EXPECT_EQ(readFile(folder.file), "; written by hand\n"
                                     "Stray = 1\n"
                                     "[Downloads]\n"
                                     "Future=yes\n"
                                     "MaxRunning = 2\n"
                                     "MaxRunning=5\n"
                                     "\n"
                                     "[Other]\n"
                                     "# a note\n"
                                     "Key = a = b \n"
                                     "[Downloads]\n"
                                     "Later=1\n"
                                     "Connections=8\n"
                                     "\n"
                                     "[Fresh]\n"
                                     "A=b\n");
}

TEST(IniSettingsFile, ADamagedFileMeansTheDefaultsAndIsKeptAsideBeforeANewOneIsWritten)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[Downloads]\nMaxRunning=3\n\xff\xfe\n", "it is not UTF-8 text"},
        {"[Downloads]\nMaxRunning=3\0\n"s, "it holds control characters"},
        {"[Downloads]\nMaxRunning 3\n", "line 2 is neither a section, a setting nor a comment"},
        {"[Downloads]\n[]\nMaxRunning=3\n", "line 2 is neither a section, a setting nor a comment"},
        {" = 3\n", "line 1 is neither a section, a setting nor a comment"},
        {"[Downloads]\n;" + std::string(IniSettingsFile::MaxBytes, 'x') + "\n", "it is longer than 64 KiB"},
    };
    for (const auto& [bytes, problem] : cases) {
        SettingsFolder folder;
        writeFile(folder.file, bytes);
        IniSettingsFile settings(folder.file);

        EXPECT_EQ(settings.load(), folder.damagedText(problem) + " The file was kept as \"" + folder.file + ".bad\".");
        EXPECT_EQ(settings.value("Downloads", "MaxRunning"), std::nullopt) << problem;
        EXPECT_EQ(readFile(folder.file + ".bad"), bytes) << problem;
        EXPECT_FALSE(fs::exists(folder.file)) << problem;
        settings.setValue("Downloads", "MaxRunning", "2");
        ASSERT_EQ(settings.save(), std::nullopt);
        EXPECT_EQ(readFile(folder.file), "[Downloads]\nMaxRunning=2\n") << problem;
    }
}

TEST(IniSettingsFile, AFileThatCannotBeReadIsNeverWrittenOver)
{
    SettingsFolder folder;
    fs::create_directory(folder.file);
    IniSettingsFile settings(folder.file);

    EXPECT_EQ(settings.load(), "The settings file \"" + folder.file
                                   + "\" could not be read (Is a directory). Zare Vantrel uses its default settings.");
    settings.setValue("Downloads", "MaxRunning", "2");
    EXPECT_EQ(settings.save(),
              "The settings file \"" + folder.file + "\" could not be read at start-up, so it is not written over.");
    EXPECT_TRUE(fs::is_directory(folder.file));
}

TEST(IniSettingsFile, InAFolderThatRefusesNewFilesTheFileIsNeitherWrittenInPlaceNorLostWhenDamaged)
{
    SettingsFolder folder;
    const std::string whole = "[Downloads]\nMaxRunning=3\n";
    const std::string damaged = "[Downloads]\nMaxRunning\n";
    const std::string other = folder.dir.file("other.conf");
    writeFile(folder.file, whole);
    writeFile(other, damaged);
    const LockedFolder locked(folder.dir.path());
    if (!locked.refusesNewFiles())
        GTEST_SKIP() << "this file system cannot make a folder refuse new files";

    IniSettingsFile settings(folder.file);
    ASSERT_EQ(settings.load(), std::nullopt);
    settings.setValue("Downloads", "MaxRunning", "1");
    // Written in place, a cut write would read as a comment and a shorter file.
    EXPECT_EQ(settings.save(),
              "The settings could not be saved to \"" + folder.file + "\": its folder does not allow new files.");
    EXPECT_EQ(readFile(folder.file), whole);

    IniSettingsFile damagedSettings(other);
    EXPECT_EQ(damagedSettings.load(), "The settings file \"" + other
                                          + "\" is damaged (line 2 is neither a section, a setting nor a comment)."
                                            " Zare Vantrel uses its default settings. It could not be copied, so it"
                                            " will not be written over.");
    damagedSettings.setValue("Downloads", "MaxRunning", "1");
    EXPECT_EQ(damagedSettings.save(),
              "The settings file \"" + other + "\" is damaged and could not be copied, so it is not written over.");
    EXPECT_EQ(readFile(other), damaged);
}
