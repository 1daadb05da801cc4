// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever the instrument answers, as one read of the measurement cycle takes it (at most one frame
// of bytes): only a complete frame becomes readings, each within what two bytes can carry, and the
// exposure automatic then moves the slider toward a peak of 400 to 600 without leaving 0..100. The
// first bytes, read as the version text, always show.
#include "FuzzSupport.h"

#include "device/InstrumentProtocol.h"
#include "files/Windows1252.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int position = input.ConsumeIntegralInRange(0, 100);
    const std::string answer = input.ConsumeRemainingBytesAsString();

    FromWindows1252(std::string_view(answer).substr(0, VersionTextSize));

    uint8_t receiveBuffer[SpectrumFrameSize] = {};
    const long received = std::min<long>(static_cast<long>(answer.size()), SpectrumFrameSize);
    std::memcpy(receiveBuffer, answer.data(), static_cast<size_t>(received));
    SpectrumValues values;
    values.Readings.fill(-1);
    const bool decoded = DecodeSpectrumFrame(receiveBuffer, received, values.Readings);
    Require(decoded == (received == SpectrumFrameSize), "exactly a complete frame decodes");
    for (const int32_t reading : values.Readings)
        Require(decoded ? reading >= 0 && reading <= 255 * 255 + 255 : reading == -1,
                "a decoded reading is two bytes' worth, and a frame that does not decode changes nothing");
    if (!decoded) return 0;

    ComputeLevels(values, WavelengthCalibration{}, 0, LevelOptions{});
    const int next = AutoExposurePosition(position, values.MaxReading);
    Require(next >= 0 && next <= 100, "the exposure stays within 0..100");
    if (values.MaxReading < 400) Require(next >= position, "a weak spectrum never lowers the exposure");
    if (values.MaxReading > 600) Require(next <= position, "a strong spectrum never raises the exposure");
    return 0;
}
