// SPDX-License-Identifier: GPL-3.0-or-later
// What a loaded file, the settings file and the instrument put into a diagram: readings, the ends of
// the wavelength axis, the zero offset, spectral lines and the reference level, each of any 32-bit
// value. The main and the large diagram paint every combination with every display option.
#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartHeadlessApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    DiagramState state;
    state.Calibration.SetRange(input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>());
    const int32_t zeroOffset = input.ConsumeIntegral<int32_t>();
    const LevelOptions levels{input.ConsumeBool(), input.ConsumeBool(), input.ConsumeIntegral<int32_t>()};
    state.Options = {input.ConsumeBool(), input.ConsumeBool(), input.ConsumeBool(), input.ConsumeBool(),
                     input.ConsumeBool()};
    state.CurveColor = input.ConsumeIntegral<TColor>();
    state.ReferenceValue = input.ConsumeIntegral<int32_t>();
    state.LinesShown = input.ConsumeBool();
    for (int32_t& reading : state.Values.Readings)
        reading = input.ConsumeIntegral<int32_t>();
    while (input.remaining_bytes() >= sizeof(int32_t))
        state.Lines.push_back(input.ConsumeIntegral<int32_t>());

    ComputeLevels(state.Values, state.Calibration, zeroOffset, levels);
    DrawDiagrams(state);
    return 0;
}
