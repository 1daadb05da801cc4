#include "device/InstrumentProtocol.h"

#include "device/CPort.h"

#include <algorithm>

bool DecodeSpectrumFrame(const uint8_t* frame, long count, std::array<int32_t, 128>& readings) {
    if (count != SpectrumFrameSize) return false;
    for (int i = 0; i < 128; ++i)
        readings[127 - i] = frame[2 * i] * 255 + frame[2 * i + 1];
    return true;
}

int AutoExposurePosition(int position, int32_t maxReading) {
    if (maxReading < 400) return std::min(position + (position >= 10 ? 5 : 1), 100);
    if (maxReading > 600) return std::max(position - (position > 10 ? 5 : 1), 0);
    return position;
}

void DiscardReceived(TCustomComPort& port) {
    uint8_t scrap[1024];
    while (port.ReceiveQueueCount() > 0 && port.ReceiveBytes(scrap, sizeof scrap) > 0) {
    }
}
