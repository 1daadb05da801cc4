// SPDX-License-Identifier: GPL-3.0-or-later
// Where the menu "Hilfe" finds the handbook: installed below the program's prefix, or in the checkout
// the program was built in.
#include "app/HandbookFolder.h"
#include "support/TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

class HandbookFolderTest : public ::testing::Test {
protected:
    TempFolder root;
    QString Path(const char* relative) const { return QString::fromStdString(root.File(relative)); }
    // A folder `relative` that holds a handbook when `withIndex`, otherwise only a picture.
    void Folder(const char* relative, bool withIndex = true) {
        QDir().mkpath(Path(relative));
        TempFolder::Write(root.File(relative) + (withIndex ? "/index.html" : "/bild.png"), "x");
    }
    QString Found(const char* programFolder) {
        QDir().mkpath(Path(programFolder));
        return FindHandbook(HandbookCandidates(Path(programFolder)));
    }
};

TEST_F(HandbookFolderTest, TheInstalledHandbookComesFirst) {
    Folder("usr/share/kx207/handbuch");
    Folder("usr/docs/handbuch");
    EXPECT_EQ(Found("usr/bin"), Path("usr/share/kx207/handbuch"));
    EXPECT_EQ(InstalledHandbookFolder(Path("usr/bin")), Path("usr/share/kx207/handbuch"));
}

TEST_F(HandbookFolderTest, AProgramBuiltInACheckoutFindsItsDocsAtAnyDepth) {
    Folder("kx207/docs/handbuch");
    EXPECT_EQ(Found("kx207/build/release"), Path("kx207/docs/handbuch"));
    EXPECT_EQ(Found("kx207/build/test/tools/deep"), Path("kx207/docs/handbuch"));
    EXPECT_EQ(Found("kx207"), Path("kx207/docs/handbuch"));
}

TEST_F(HandbookFolderTest, AFolderWithoutItsIndexIsNoHandbook) {
    Folder("usr/share/kx207/handbuch", false);
    EXPECT_EQ(Found("usr/bin"), QString());
    Folder("usr/docs/handbuch");
    EXPECT_EQ(Found("usr/bin"), Path("usr/docs/handbuch")) << "the search goes on above";
}

} // namespace
