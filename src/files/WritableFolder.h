// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// Where this user's files go. The settings keep one folder for the whole machine, which can be another
// user's home or a stick no longer there; a file is then written to the user's own folder instead.

// Whether this user may make files in `folder` (UTF-8): it exists, and the user may write and enter it.
bool MayMakeFilesIn(const std::string& folder);

// The user's own folder for what the program writes: "KX207" in the home folder on Linux, the documents
// folder on Windows. Not made here.
std::string OwnFilesFolder();

struct WritableFolderChoice {
    std::string Folder;
    bool Replaced = false; // the remembered folder was not the user's to write
};

// `remembered` where this user may make files there; otherwise `own`, made where it is missing. A folder
// that can't be made is still the answer: the write that follows fails and says why.
WritableFolderChoice ChooseWritableFolder(const std::string& remembered, const std::string& own);
