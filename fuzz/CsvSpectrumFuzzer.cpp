// SPDX-License-Identifier: GPL-3.0-or-later
// Spectrum files as anybody may have written them: the reader takes every byte sequence, and saving
// the spectrum it gives and loading that file again gives the same spectrum back.
#include "FuzzSupport.h"

#include "files/CsvSpectrumFile.h"
#include "files/Windows1252.h"

#include <QStringDecoder>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const SpectrumFileContents file = ParseSpectrumFile({reinterpret_cast<const char*>(data), size});
    Require(file.Opened(), "bytes in hand always read");

    std::array<int32_t, ChannelCount> readings{};
    WavelengthCalibration calibration;
    ApplySpectrumFile(file, readings, calibration);
    Require(calibration.NmPerChannel == (double(calibration.LambdaMax) - calibration.LambdaMin) / 127.0,
            "the calibration stays in step with its ends");

    const std::string path = ScratchFolder() + "/spectrum.csv";
    SaveSpectrumFile(path, file.Name, readings, calibration);
    const SpectrumFileContents again = LoadSpectrumFile(path);
    for (int c = 0; c < ChannelCount; ++c)
        Require(again.Readings[c] == readings[c], "a saved reading loads back");
    Require(again.LambdaMin == calibration.LambdaMin, "the saved start of the axis loads back");
    Require(again.LambdaMax == calibration.LambdaMax, "the saved end of the axis loads back");
    // A CR inside the name is saved as a blank, so that the file keeps one line per channel; a character
    // Windows-1252 can't hold is saved as '?'; a saved name whose bytes happen to be UTF-8 beyond ASCII
    // reads as UTF-8, as any file of such bytes does.
    const std::string saved = ToWindows1252(file.Name);
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString asUtf8 = utf8.decode(QByteArrayView(saved.data(), static_cast<qsizetype>(saved.size())));
    const bool readsAsUtf8 = !utf8.hasError() && asUtf8.size() != static_cast<qsizetype>(saved.size());
    if (!file.Name.contains(u'\r') && !readsAsUtf8)
        Require(again.Name == FromWindows1252(saved),
                "the saved name loads back as far as Windows-1252 holds it");
    return 0;
}
