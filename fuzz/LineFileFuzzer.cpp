// SPDX-License-Identifier: GPL-3.0-or-later
// Line files as anybody may have written them: the reader takes every byte sequence and gives one-line
// entries, each of which is a wavelength or not.
#include "FuzzSupport.h"

#include "lines/LineFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LineFile file = ParseLineFile({reinterpret_cast<const char*>(data), size});
    Require(!file.Name.contains(u'\n'), "the name is one line");
    for (const QString& entry : file.Entries) {
        Require(!entry.isEmpty() && !entry.contains(u'\n'), "an entry is one line that is not empty");
        int32_t nm = 0;
        LineWavelength(entry, nm);
    }
    return 0;
}
