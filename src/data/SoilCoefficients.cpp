// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/HexField.h"
#include "data/ProfileNode.h"

namespace vantrel {
namespace {

constexpr std::size_t kSoilRecordBytes = 16;
constexpr std::size_t kFlagsOffset = 12;
constexpr std::uint8_t kInUseFlag = 0x80;

}  // namespace

SoilCoefficients GetSoilCoefficients(std::uint8_t soilCode, std::string_view userSoil,
                                     std::string_view ortvelSoil) {
    std::string_view table;
    int soilNumber = 0;
    if (soilCode >= 0x01 && soilCode <= 0x63) {
        table = userSoil;
        soilNumber = soilCode;
    } else if (soilCode >= 0x9D) {
        table = ortvelSoil;
        soilNumber = 256 - soilCode;  // minus the code read as a signed byte
    } else {
        return {};
    }

    const std::size_t record = static_cast<std::size_t>(soilNumber - 1) * kSoilRecordBytes;
    SoilCoefficients result;
    if ((HexByte(table, record + kFlagsOffset) & kInUseFlag) == 0) {
        result.status = SoilCoefficients::Status::Unused;
        return result;
    }
    result.status = SoilCoefficients::Status::InUse;
    result.a = HexFloat(table, record);
    result.b = static_cast<float>(1.0 / static_cast<double>(HexFloat(table, record + 4)));
    result.c = HexFloat(table, record + 8);
    return result;
}

}  // namespace vantrel
