// SPDX-License-Identifier: GPL-3.0-or-later
// The line library on Linux: names differing only in letter case are two files, links count as what
// they point to, pipes are never opened.
#include "LineLibraryFixture.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

TEST_F(LineLibrary, NamesOfOtherCaseAndLinksAreListedButBrokenLinksAndPipesAreNot) {
    std::filesystem::create_directory(Dat());
    for (const char* name : {"Ar.Dat", "b.dat", "B.dat"})
        Add(name);
    std::filesystem::create_symlink("Ar.Dat", Dat() + "/link.dat");
    std::filesystem::create_symlink("missing", Dat() + "/broken.dat");
    ASSERT_EQ(mkfifo((Dat() + "/pipe.dat").c_str(), 0600), 0);
    EXPECT_EQ(Captions(), QStringList({"Ar", "B", "b", "link"}));
    EXPECT_EQ(FileNames(), QStringList({"Ar.Dat", "B.dat", "b.dat", "link.dat"}));
}

} // namespace
