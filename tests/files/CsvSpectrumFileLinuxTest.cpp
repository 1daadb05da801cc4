// SPDX-License-Identifier: GPL-3.0-or-later
// Spectrum files on Linux: pipes and devices, links, the longest names, and the rights of ordinary users.
#include "CsvSpectrumFileFixture.h"

#include "files/SystemReason.h"
#include "files/WritableFolder.h"
#include "support/Unprivileged.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

std::vector<std::pair<std::string, int>> UnreadableSpecialFiles(const TempFolder& folder) {
    const std::string pipe = folder.File("pipe.csv");
    EXPECT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    return {{pipe, EINVAL}, {"/dev/null", EINVAL}};
}

namespace {

TEST_F(CsvSpectrumFile, SaveWritesThroughALinkAndTakesTheLongestNames) {
    const std::string target = folder.File("messung.csv");
    const std::string link = folder.File("aktuell.csv");
    TempFolder::Write(target, "old content");
    ASSERT_EQ(symlink("messung.csv", link.c_str()), 0);
    SaveSpectrumFile(link, QStringLiteral("durch den Link"), SampleReadings(), WavelengthCalibration());
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(LoadSpectrumFile(target).Name, QStringLiteral("durch den Link"));

    // Names as long as the file system allows, also of characters longer than one byte.
    std::string umlauts;
    for (int i = 0; i < 125; ++i)
        umlauts += "\xC3\xBC";
    for (const std::string& name : {std::string(251, 'a') + ".csv", "a" + umlauts + ".csv"}) {
        ASSERT_EQ(name.size(), 255u);
        SaveSpectrumFile(folder.File(name), QStringLiteral("lang"), SampleReadings(),
                         WavelengthCalibration());
        EXPECT_EQ(LoadSpectrumFile(folder.File(name)).Name, QStringLiteral("lang"));
    }

    // One byte more than a name may have.
    EXPECT_EQ(SaveError(folder.File(std::string(252, 'a') + ".csv")), ENAMETOOLONG);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 4)
        << "no temporary file may stay behind";
}

TEST_F(CsvSpectrumFile, AnOrdinaryUsersSaveFollowsThePermissionsOfFileAndFolder) {
    const std::string closedFolder = folder.File("fremd");
    ASSERT_EQ(mkdir(closedFolder.c_str(), 0755), 0);
    const std::string inClosedFolder = closedFolder + "/eigene.csv";
    const std::string readOnly = folder.File("schreibgeschuetzt.csv");
    TempFolder::Write(inClosedFolder, "old content");
    TempFolder::Write(readOnly, "old content");
    for (const std::string& path : {folder.Path(), closedFolder, inClosedFolder, readOnly})
        Unprivileged::Give(path);
    ASSERT_EQ(chmod(closedFolder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    Unprivileged::Run([&] {
        // No temporary file can be made beside it, so the user's own file is written in place.
        EXPECT_EQ(SaveError(inClosedFolder), 0);
        EXPECT_EQ(LoadSpectrumFile(inClosedFolder).Name, QStringLiteral("neu"));
        EXPECT_EQ(SaveError(closedFolder + "/neue.csv"), EACCES);
        EXPECT_EQ(SaveError(readOnly), EACCES);
        EXPECT_EQ(SystemReason(SaveError(closedFolder + "/neue.csv")), QStringLiteral("Keine Berechtigung."));
        EXPECT_EQ(TempFolder::Read(readOnly), "old content");

        // Remembered for the whole machine, such a folder gives way to the user's own, made for them.
        const std::string own = folder.File("eigen/KX207");
        const struct {
            std::string Remembered;
            std::string Folder;
        } choices[] = {{closedFolder, own}, {folder.File("fort"), own}, {folder.Path(), folder.Path()}};
        for (const auto& choice : choices) {
            const WritableFolderChoice chosen = ChooseWritableFolder(choice.Remembered, own);
            EXPECT_EQ(chosen.Folder, choice.Folder) << choice.Remembered;
            EXPECT_EQ(chosen.Replaced, choice.Folder == own) << choice.Remembered;
            EXPECT_TRUE(MayMakeFilesIn(chosen.Folder)) << choice.Remembered;
        }
        EXPECT_FALSE(MayMakeFilesIn(closedFolder));
    });
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(closedFolder), {}), 1);
}

} // namespace
