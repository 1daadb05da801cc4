// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/InstrumentProtocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(InstrumentProtocol, FramePairsAreHighTimes255PlusLowWithChannel127First) {
    std::vector<uint8_t> frame(SpectrumFrameSize, 0);
    frame[0] = 0x00;
    frame[1] = 0x05;
    frame[254] = 0x03;
    frame[255] = 0xFF;
    frame[2] = 0x01;
    frame[3] = 0x00;
    frame[4] = 0x00;
    frame[5] = 0xFF;
    frame[6] = 0xFF;
    frame[7] = 0xFF;
    std::array<int32_t, 128> readings{};
    ASSERT_TRUE(DecodeSpectrumFrame(frame.data(), SpectrumFrameSize, readings));
    EXPECT_EQ(readings[127], 5);
    EXPECT_EQ(readings[0], 1020);
    EXPECT_EQ(readings[126], 255) << "(01, 00) weighs the high byte with 255";
    EXPECT_EQ(readings[125], 255);
    EXPECT_EQ(readings[124], 65280) << "the largest reading";
}

TEST(InstrumentProtocol, AFrameOfAnyOtherLengthChangesNothing) {
    std::vector<uint8_t> frame(SpectrumFrameSize + 1, 7);
    std::array<int32_t, 128> readings{};
    readings.fill(42);
    for (long count : {0L, 1L, 255L, 257L})
        EXPECT_FALSE(DecodeSpectrumFrame(frame.data(), count, readings)) << count;
    EXPECT_EQ(readings[0], 42);
}

TEST(InstrumentProtocol, ExposureStepsAreAsymmetricAtTenAndStayInRange) {
    EXPECT_EQ(AutoExposurePosition(9, 399), 10);
    EXPECT_EQ(AutoExposurePosition(10, 399), 15);
    EXPECT_EQ(AutoExposurePosition(98, 399), 100);
    EXPECT_EQ(AutoExposurePosition(100, 399), 100);
    EXPECT_EQ(AutoExposurePosition(11, 601), 6);
    EXPECT_EQ(AutoExposurePosition(10, 601), 9);
    EXPECT_EQ(AutoExposurePosition(3, 601), 2);
    EXPECT_EQ(AutoExposurePosition(0, 601), 0);
    EXPECT_EQ(AutoExposurePosition(50, 400), 50);
    EXPECT_EQ(AutoExposurePosition(50, 600), 50);
    EXPECT_EQ(AutoExposurePosition(50, -5), 55) << "comparisons are signed";
}

} // namespace
