// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/CsvSpectrumFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <system_error>
#include <utility>
#include <vector>

using Readings = std::array<int32_t, ChannelCount>;

inline std::string Crlf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

inline std::vector<std::string> SplitCrlf(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    lines.push_back(bytes.substr(start));
    return lines;
}

inline Readings SampleReadings() {
    Readings readings{};
    for (int c = 0; c < ChannelCount; ++c)
        readings[c] = (c * 37) % 1024;
    readings[5] = -12;
    return readings;
}

class CsvSpectrumFile : public ::testing::Test {
protected:
    TempFolder folder;

    // Loads a file of these lines, each ended by CR LF.
    SpectrumFileContents LoadLines(const std::vector<std::string>& lines) {
        const std::string path = folder.File("hand.csv");
        TempFolder::Write(path, Crlf(lines));
        return LoadSpectrumFile(path);
    }

    // 0 after a save of the sample spectrum named "neu" to `path`, otherwise the error it threw.
    static int SaveError(const std::string& path) {
        try {
            SaveSpectrumFile(path, QStringLiteral("neu"), SampleReadings(), WavelengthCalibration());
            return 0;
        } catch (const std::system_error& error) {
            return error.code().value();
        }
    }

    // The reading a single data line for channel 1 gives.
    std::optional<int32_t> ReadingOf(const std::string& line) {
        return LoadLines({"Spektrum: x", "Kanal;nm;Digits", "0;360;0", line}).Readings[1];
    }
};

// Files of the system that are no regular files, made in `folder` where they must be, each with the
// error its reading gives.
std::vector<std::pair<std::string, int>> UnreadableSpecialFiles(const TempFolder& folder);
