// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumModel.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A column of values per channel, where it was taken.
using ChannelColumn = std::optional<std::array<double, ChannelCount>>;

// How a dark or reference spectrum was taken.
struct CaptureNote {
    int32_t Exposure = 0;
    int Count = 1;  // spectra averaged into it; 0 for one kept in the settings from an earlier run
    QString Moment; // when it was taken, as the caller writes it; empty when not known
};

// What a table for a lab report holds.
struct LabTable {
    QString Name;         // the spectrum's name
    QString Moment;       // date and time, as the caller writes them
    int32_t Exposure = 0; // 0 to 100
    WavelengthCalibration Calibration;
    // "Digits": the shown spectrum as measured, the mean where averaged, no dark spectrum subtracted.
    std::array<double, ChannelCount> Readings{};
    int Averaging = 1;                 // spectra averaged into Readings
    ChannelColumn Dark;                // "Dunkel"
    ChannelColumn Reference;           // "Referenz"
    ChannelColumn TransmissionPercent; // "Transmission %"
    ChannelColumn Extinction;          // "Extinktion"
    ChannelColumn TransmissionU;       // "u Transmission %": standard uncertainties, where taken
    ChannelColumn ExtinctionU;         // "u Extinktion"
    std::optional<CaptureNote> DarkNote;
    std::optional<CaptureNote> ReferenceNote;
    bool DarkSubtracted = false; // whether the transmission was worked out less the dark spectrum
    QString EmptyReason;         // why a transmission cell may be empty
};

// The table as a German spreadsheet reads it: a header line with name, date, exposure and calibration
// and, where a dark or reference spectrum was taken, how each was taken, the averaging, whether the dark
// spectrum was subtracted, the formula that gives the transmission from the other columns and why a cell
// of it may be empty; then the column heads "Kanal;nm;Digits" and those of the columns taken, and one
// line per channel; cells separated by ";", decimal commas, Windows-1252, every line ending in CR LF.
// The wavelength of each channel has one decimal. Digits, dark and reference are written exactly, without
// trailing zeros; a value that is no finite number (a transmission against a dark reference) leaves its cell
// empty.
std::string LabTableBytes(const LabTable& table);

// Writes the table to `path`, replacing the file atomically. Throws std::system_error carrying errno
// when it can't be written; an existing file is then left as it was.
void SaveLabTable(const std::string& path, const LabTable& table);

// A table of numbers laid out for a spreadsheet as the lab table is: a header line of cells, the column
// heads, then one line per row; a value that is no finite number leaves its cell empty.
struct NumberTable {
    std::vector<QString> Header;
    std::vector<QString> Heads;
    std::vector<int> Decimals; // per column
    std::vector<std::vector<double>> Rows;
    // Per row and column, a text written instead of the number (such as "> 2,1" for a bound); none
    // where a row is shorter or the text empty.
    std::vector<std::vector<QString>> Texts;
};
std::string NumberTableBytes(const NumberTable& table);
// Writes the table to `path` atomically; throws std::system_error carrying errno when it can't.
void SaveNumberTable(const std::string& path, const NumberTable& table);
