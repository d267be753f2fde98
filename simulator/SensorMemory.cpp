#include "simulator/SensorMemory.h"

#include <algorithm>
#include <cstring>

namespace simulator {

SensorMemory2000::SensorMemory2000(const std::string& sensorId, const std::string& defectText) {
    bytes_.fill(0xFF);
    std::memset(bytes_.data(), 0, kSlotSize);
    std::memcpy(bytes_.data(), "TOVI-1W", 7);
    std::uint8_t* idSlot = &bytes_[kSlotSize];
    std::memset(idSlot, 0, kSlotSize);
    std::memcpy(idSlot, sensorId.data(), std::min(sensorId.size(), kSlotSize - 1));
    std::size_t room = kOneWireMemorySize - 2 * kSlotSize - 6 - 1;
    std::size_t length = std::min(defectText.size(), room);
    std::uint8_t* defectSlot = &bytes_[2 * kSlotSize];
    std::memcpy(defectSlot, "newd", 4);
    defectSlot[4] = static_cast<std::uint8_t>(length);
    defectSlot[5] = static_cast<std::uint8_t>(length >> 8);
    std::memcpy(defectSlot + 6, defectText.data(), length);
    // The slot after the text's last one starts erased; the rest of the text's slot is padding.
    std::size_t end = 2 * kSlotSize + 6 + length;
    std::size_t nextSlot = (end + kSlotSize - 1) / kSlotSize * kSlotSize;
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(end),
              bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(nextSlot, bytes_.size())), 0);
}

SensorMemory2000::SensorMemory2000(std::vector<std::uint8_t> bytes) {
    bytes_.fill(0xFF);
    std::copy_n(bytes.begin(), std::min(bytes.size(), bytes_.size()), bytes_.begin());
}

} // namespace simulator
