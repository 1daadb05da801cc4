#pragma once

#include <array>
#include <cstdint>

class TCustomComPort;

// The instrument's command bytes: 0..100 set the exposure, these two ask for answers.
constexpr uint8_t SpectrumRequest = 255;
constexpr uint8_t VersionRequest = 254;
// A spectrum answer: 128 pairs of bytes, channel 127 first.
constexpr long SpectrumFrameSize = 256;
// The longest version text the instrument sends.
constexpr long VersionTextSize = 20;

// Decodes a complete spectrum answer into `readings`: pair i (high byte H, low byte L) holds channel
// 127 − i and reads H × 255 + L. A frame of any other length changes nothing and gives false.
bool DecodeSpectrumFrame(const uint8_t* frame, long count, std::array<int32_t, 128>& readings);

// The exposure automatic's next slider position from `position` and the peak just measured: up by
// 5 (by 1 below 10) under 400, down by 5 (by 1 at 10 and below) over 600, kept within 0..100.
int AutoExposurePosition(int position, int32_t maxReading);

// Throws away whatever is still waiting in the receive queue, so that the tail of a late answer can
// never be read as the start of the next one.
void DiscardReceived(TCustomComPort& port);
