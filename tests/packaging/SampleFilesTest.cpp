// SPDX-License-Identifier: GPL-3.0-or-later
// The sample line files and spectra that the package ships and the launcher copies into each user's
// ~/KX207: the program must list the line files and draw every line they hold, and load every spectrum
// whole, as it saved it.
#include "files/CsvSpectrumFile.h"
#include "lines/LineFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <algorithm>

namespace {

const QString SampleFolder = QStringLiteral(KX207_SAMPLE_LINE_FILES);
const QString SpectraFolder = QStringLiteral(KX207_SAMPLE_SPECTRA);

std::vector<LineFileEntry> Samples() {
    return ListLineFiles(SampleFolder);
}

TEST(SampleLineFiles, AreListedInTheLibrary) {
    EXPECT_GE(Samples().size(), 5u);
}

TEST(SampleLineFiles, AreWindows1252TextWithCrLfLineEnds) {
    for (const LineFileEntry& sample : Samples()) {
        QFile file(SampleFolder + '/' + sample.FileName);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << sample.FileName.toStdString();
        const QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.endsWith("\r\n")) << sample.FileName.toStdString();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << sample.FileName.toStdString();
        EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n")) << sample.FileName.toStdString();
        // Read as Windows-1252, UTF-8 text would show its lead bytes as "Ã" or "Â".
        const QString name = ReadLineFile(file.fileName()).Name;
        EXPECT_FALSE(name.contains(QChar(0xC3)) || name.contains(QChar(0xC2))) << name.toStdString();
    }
}

TEST(SampleLineFiles, NameTheSourceAndHoldRisingVisibleWavelengths) {
    for (const LineFileEntry& sample : Samples()) {
        const LineFile lines = ReadLineFile(SampleFolder + '/' + sample.FileName);
        const std::string which = sample.FileName.toStdString();
        EXPECT_TRUE(lines.Name.startsWith(sample.Caption + " - ")) << which;
        ASSERT_FALSE(lines.Entries.isEmpty()) << which;
        int32_t previous = 0;
        for (const QString& entry : lines.Entries) {
            int32_t nm = 0;
            ASSERT_TRUE(LineWavelength(entry, nm)) << which << ": " << entry.toStdString();
            EXPECT_GE(nm, 360) << which;
            EXPECT_LE(nm, 750) << which;
            EXPECT_GT(nm, previous) << which;
            previous = nm;
        }
    }
}

// Each sample spectrum is a measurement of a simulated lamp with the exposure automatic settled, in
// exactly the bytes the program's save writes for what it loads from it.
TEST(SampleSpectra, LoadWholeWithTheirPeakSettledAndInTheProgramsOwnBytes) {
    const QStringList names = QDir(SpectraFolder).entryList({QStringLiteral("*.csv")}, QDir::Files);
    EXPECT_GE(names.size(), 3);
    TempFolder resaved;
    for (const QString& name : names) {
        const std::string path = (SpectraFolder + '/' + name).toStdString();
        const SpectrumFileContents file = LoadSpectrumFile(path);
        ASSERT_TRUE(file.Opened()) << path;
        EXPECT_FALSE(file.Name.isEmpty()) << path;
        std::array<int32_t, ChannelCount> readings{};
        WavelengthCalibration calibration;
        for (const auto& reading : file.Readings)
            ASSERT_TRUE(reading.has_value()) << path;
        ApplySpectrumFile(file, readings, calibration);
        const int32_t peak = *std::max_element(readings.begin(), readings.end());
        EXPECT_GE(peak, 400) << path;
        EXPECT_LE(peak, 600) << path;
        SaveSpectrumFile(resaved.File("again.csv"), file.Name, readings, calibration);
        EXPECT_EQ(TempFolder::Read(resaved.File("again.csv")), TempFolder::Read(path)) << path;
    }
}

} // namespace
