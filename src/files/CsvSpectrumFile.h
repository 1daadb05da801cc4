// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumModel.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Writes the spectrum file: "Spektrum: " + `title`, the header "Kanal;nm;Digits" and one line
// "channel;nm;reading" per channel, 130 lines in Windows-1252, each ending in CR LF. The file is replaced
// atomically. Throws std::system_error carrying errno when it can't be written; an existing file is then
// left as it was. (LastIoResult: 0 after a save that returns, the error's code after one that throws.)
void SaveSpectrumFile(const std::string& path, const QString& title,
                      const std::array<int32_t, ChannelCount>& readings,
                      const WavelengthCalibration& calibration);

// What a spectrum file gave. A value left empty is one the file does not carry (a missing or empty line):
// a load keeps the value held before.
struct SpectrumFileContents {
    // 0, or the errno that kept the file from being opened or read; becomes LastIoResult.
    int32_t IoResult = 0;
    // The spectrum name; empty when the first line holds "Kanal" or the file can't be read.
    QString Name;
    std::array<std::optional<int32_t>, ChannelCount> Readings;
    // The wavelength ends from the lines of channel 0 and channel 127.
    std::optional<int32_t> LambdaMin;
    std::optional<int32_t> LambdaMax;

    bool Opened() const { return IoResult == 0; }
};

// Reads a spectrum file. Never throws for anything in or about the file: a file that can't be opened
// gives IoResult and an otherwise empty result, as though every line were empty.
SpectrumFileContents LoadSpectrumFile(const std::string& path);
// Reads the bytes of a spectrum file as LoadSpectrumFile reads them from the file.
SpectrumFileContents ParseSpectrumFile(std::string_view bytes);

// Takes over what `file` carries: readings of the lines present, the wavelength ends it gives (the
// other end stays), and NmPerChannel recomputed in any case. The name is the caller's to show.
void ApplySpectrumFile(const SpectrumFileContents& file, std::array<int32_t, ChannelCount>& readings,
                       WavelengthCalibration& calibration);

// A saved spectrum to compare with the live one.
struct ComparisonFile {
    // 0, or the errno that kept the file from being opened or read.
    int32_t IoResult = 0;
    // Why the file holds no spectrum (a table for a lab report, a text of another kind); empty when it does.
    QString Refusal;
    QString Name; // empty when the file names none
    // The readings on the channels of Calibration, which spans the file's own first to last wavelength.
    std::array<int32_t, ChannelCount> Readings{};
    WavelengthCalibration Calibration;

    bool Usable() const { return IoResult == 0 && Refusal.isEmpty(); }
};

// Reads a spectrum file to compare with. Its lines "channel;nm;reading" follow the column header
// "Kanal;nm;Digits" and place each reading at its own wavelength: a file of 128 channels keeps its
// readings, one of another count is read off between its wavelengths on 128 channels over the same span.
// A file whose header has other columns, that has fewer than two lines of readings or whose wavelengths
// do not rise is refused. Never throws for anything in or about the file.
ComparisonFile LoadComparisonFile(const std::string& path);
// Reads the bytes of a file as LoadComparisonFile reads them.
ComparisonFile ParseComparisonFile(std::string_view bytes);

// The file name the file dialogs use: ".csv" appended when the last path part has no "." at all.
QString WithCsvExtension(const QString& fileName);
