// SPDX-License-Identifier: GPL-3.0-or-later
#include "lines/LineFile.h"

#include "LineLibraryFixture.h"

#include <QDir>
#include <filesystem>

namespace {

TEST(LineFile, FirstLineIsTheNameAndNonEmptyLinesAreTheEntries) {
    TempFolder folder;
    TempFolder::Write(folder.File("Hg.dat"), "Hg - Quecksilberdampflampe\r\n404\r\n\r\n435\r\n");
    const LineFile file = ReadLineFile(Q(folder.File("Hg.dat")));
    EXPECT_EQ(file.Name, QStringLiteral("Hg - Quecksilberdampflampe"));
    EXPECT_EQ(file.Entries, QStringList({"404", "435"}));
}

TEST(LineFile, EntriesStayExactlyAsTheyStand) {
    TempFolder folder;
    TempFolder::Write(folder.File("Na.dat"),
                      "Na - Natriumdampflampe gr\xFCn\n589 \n 590\n\n546.1\n616 nm\n  \n589");
    const LineFile file = ReadLineFile(Q(folder.File("Na.dat")));
    EXPECT_EQ(file.Name, QStringLiteral("Na - Natriumdampflampe grün"));
    EXPECT_EQ(file.Entries, QStringList({"589 ", " 590", "546.1", "616 nm", "  ", "589"}));
}

TEST(LineFile, FileWithoutLinesOrWithoutFileGivesNothing) {
    TempFolder folder;
    TempFolder::Write(folder.File("one.dat"), "Nur ein Name\r\n");
    const LineFile one = ReadLineFile(Q(folder.File("one.dat")));
    EXPECT_EQ(one.Name, QStringLiteral("Nur ein Name"));
    EXPECT_TRUE(one.Entries.isEmpty());

    for (const std::string& path : {folder.File("gone.dat"), folder.Path()}) {
        const LineFile none = ReadLineFile(Q(path));
        EXPECT_TRUE(none.Name.isEmpty());
        EXPECT_TRUE(none.Entries.isEmpty());
    }
}

TEST(LineWavelength, AcceptsWholeNumbersOnly) {
    int32_t nm = 0;
    EXPECT_TRUE(LineWavelength(QStringLiteral("404"), nm));
    EXPECT_EQ(nm, 404);
    EXPECT_TRUE(LineWavelength(QStringLiteral("  435"), nm));
    EXPECT_EQ(nm, 435);
    EXPECT_TRUE(LineWavelength(QStringLiteral("-12"), nm));
    EXPECT_EQ(nm, -12);
    EXPECT_TRUE(LineWavelength(QStringLiteral("+546"), nm));
    EXPECT_EQ(nm, 546);
    EXPECT_TRUE(LineWavelength(QStringLiteral("0x250"), nm));
    EXPECT_EQ(nm, 592);

    nm = 1;
    for (const char* entry :
         {"435 ", "435 nm", "546.1", "546,1", "", "   ", "-", "abc", "4O4", "99999999999", "\t404", "$1B4"})
        EXPECT_FALSE(LineWavelength(QString::fromUtf8(entry), nm)) << entry;
    EXPECT_FALSE(LineWavelength(QStringLiteral("٤٠٤"), nm));
    EXPECT_EQ(nm, 1);
}

TEST_F(LineLibrary, ListsRegularDatFilesByNameInAnyLetterCase) {
    std::filesystem::create_directory(Dat());
    for (const char* name :
         {"ne.dat", "Hg.DAT", "Ar.Dat", "b.dat", ".hidden.dat", "notes.txt", "old.dat.bak", "Xe.dat~"})
        Add(name);
    std::filesystem::create_directory(Dat() + "/folder.dat");
    EXPECT_EQ(Captions(), QStringList({"Ar", "b", "Hg", "ne"}));
    EXPECT_EQ(FileNames(), QStringList({"Ar.Dat", "b.dat", "Hg.DAT", "ne.dat"}));
}

TEST_F(LineLibrary, NamesBeyondAsciiInTheFolderAndTheFileAreListedAndRead) {
    const std::string teacher = start.File("Müller");
    std::filesystem::create_directories(std::filesystem::u8path(teacher + "/dat"));
    TempFolder::Write(teacher + "/dat/Glühlampe.dat", "Gl\xFChlampe\r\n589\r\n");
    const QDir library(LineLibraryFolder(Q(teacher), QString()));
    const std::vector<LineFileEntry> listed = ListLineFiles(library.path());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].Caption, QStringLiteral("Glühlampe"));
    const LineFile file = ReadLineFile(library.filePath(listed[0].FileName));
    EXPECT_EQ(file.Name, QStringLiteral("Glühlampe"));
    EXPECT_EQ(file.Entries, QStringList({"589"}));
}

TEST_F(LineLibrary, EmptyOrMissingFolderListsNothing) {
    EXPECT_TRUE(ListLineFiles(Q(Dat())).empty());
    std::filesystem::create_directory(Dat());
    EXPECT_TRUE(ListLineFiles(Q(Dat())).empty());
}

TEST_F(LineLibrary, FolderIsDatBelowTheStartFolderWhenThereIsOne) {
    const QString current = QStringLiteral("/somewhere/else");
    EXPECT_EQ(LineLibraryFolder(Q(start.Path()), current), current);
    TempFolder::Write(Dat(), "a file, not a folder");
    EXPECT_EQ(LineLibraryFolder(Q(start.Path()), current), current);
    std::filesystem::remove(Dat());
    std::filesystem::create_directory(Dat());
    EXPECT_EQ(QDir(LineLibraryFolder(Q(start.Path()), current)), QDir(Q(Dat())));
}

} // namespace
