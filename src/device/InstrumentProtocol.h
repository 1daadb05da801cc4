// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
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

// How long after the pause that follows a request a slow instrument may still take for its answer.
constexpr std::chrono::milliseconds LateAnswerBound{400};
// How long a version text must stop growing before it counts as complete (20 bytes take under 2 ms
// on the line; the USB bridge passes them on within a few ms).
constexpr std::chrono::milliseconds TextQuietGap{20};

// Throws away whatever is still waiting in the receive queue, so that the tail of a late answer can
// never be read as the start of the next one. A port that can no longer tell (unplugged) is left to
// the transfer that follows, which names the failure.
void DiscardReceived(TCustomComPort& port);

// Called after the pause that follows a request for `count` bytes: returns at once when they wait,
// otherwise watches the queue until they do or LateAnswerBound has passed. False when nothing came.
bool AwaitAnswer(TCustomComPort& port, long count);

// The same for a text of up to `count` bytes, whose end nothing marks: returns at once when any of it
// waits; otherwise waits for its first byte, then until `count` bytes wait, it has not grown for
// TextQuietGap, or LateAnswerBound has passed. False when nothing came.
bool AwaitText(TCustomComPort& port, long count);
