// SPDX-License-Identifier: GPL-3.0-or-later
#include "sample/SampleImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/AtomicFile.h"
#include "sample/LoggerFileEncoding.h"

namespace vantrel::sample {
namespace {

// splitmix64: small, fast and the same on every platform and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [low, high).
    double Uniform(double low, double high) {
        return low + (high - low) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
    }

private:
    std::uint64_t state_;
};

constexpr double kMinMoisture = 5.0;
constexpr double kMaxMoisture = 45.0;

// How each profile differs from the others, cycled through by profile number.
struct ProfileStyle {
    bool inches;
    int intervalSeconds;
    std::uint8_t depthOffset;
    std::int8_t soilCodes[3];  // cycled over the sensors
};

constexpr ProfileStyle kStyles[] = {
    {false, 3600, 0, {-1, -1, -2}},  // centimetres, hourly, Ortvel soils
    {true, 86400, 0, {2, 2, 2}},     // inches, daily, a user soil
    {false, 3600, 3, {-3, 1, 5}},    // centimetres, hourly, offset; user soil 5 is unused
    {true, 7200, 1, {-2, -4, 3}},    // inches, every two hours
};

std::string Name(const char* format, int number) {
    char name[32];
    std::snprintf(name, sizeof name, format, number);
    return name;
}

// Soil moisture per sensor: slow drying, noise, and rain that wets the top layers most.
class MoistureModel {
public:
    MoistureModel(Random& random, int sensors) : random_(random) {
        for (int s = 0; s < sensors; ++s) {
            levels_.push_back(random_.Uniform(12.0, 22.0) + 2.5 * s);
        }
    }
    const std::vector<double>& Step() {
        const bool rain = random_.Uniform(0.0, 1.0) < 0.04;
        const double rainfall = rain ? random_.Uniform(4.0, 12.0) : 0.0;
        for (std::size_t s = 0; s < levels_.size(); ++s) {
            const double depthDamping = 1.0 / (1.0 + static_cast<double>(s));
            double& level = levels_[s];
            level += rainfall * depthDamping - 0.06 * depthDamping + random_.Uniform(-0.2, 0.2);
            level = std::clamp(level, kMinMoisture, kMaxMoisture);
        }
        return levels_;
    }

private:
    Random& random_;
    std::vector<double> levels_;
};

std::string MakeDataFile(Random& random, const ProfileStyle& style, const SampleOptions& options,
                         std::int32_t start) {
    const float water = static_cast<float>(RatioOfRawCount(18000) * random.Uniform(0.995, 1.005));
    const float air = static_cast<float>(RatioOfRawCount(62000) * random.Uniform(0.995, 1.005));
    MoistureModel moisture(random, options.sensors);
    std::string bytes;
    for (int r = 0; r < options.readings; ++r) {
        ReadingRecord record;
        record.unitsFlag = style.inches ? 1 : 0;
        record.depthOffset = style.depthOffset;
        record.sensorCount = static_cast<std::uint8_t>(options.sensors);
        record.seconds = start + r * style.intervalSeconds;
        record.water = water;
        record.air = air;
        const std::vector<double>& levels = moisture.Step();
        for (std::size_t s = 0; s < levels.size(); ++s) {
            // Wetter soil slows the sensor: its ratio moves from the air towards the water
            // reference.
            const double scaled = 0.25 + 0.65 * (levels[s] - kMinMoisture) / kMaxMoisture;
            record.rawCounts[s] = RawCountForRatio(air - scaled * (air - water));
            record.calibrated[s] = static_cast<float>(std::round(levels[s] * 1000.0) / 1000.0);
        }
        bytes += EncodeReadingRecord(record);
    }
    return bytes;
}

std::string MakeConfigFile(const ProfileStyle& style, int sensors) {
    std::vector<std::int8_t> codes;
    for (int s = 0; s < sensors; ++s) codes.push_back(style.soilCodes[s % 3]);
    return EncodeProfileConfig(codes, 64);
}

std::string MakeSoilTable(Random& random, int recordsInUse, std::span<const int> unused) {
    std::vector<SoilRecord> records(kSoilRecordCount);
    for (int k = 1; k <= recordsInUse; ++k) {
        if (std::find(unused.begin(), unused.end(), k) != unused.end()) continue;
        SoilRecord& soil = records[static_cast<std::size_t>(k - 1)];
        soil.a = static_cast<float>(std::round(random.Uniform(0.16, 0.26) * 1e4) / 1e4);
        soil.reciprocalB = static_cast<float>(std::round(random.Uniform(0.30, 0.45) * 1e4) / 1e4);
        soil.c = static_cast<float>(std::round(random.Uniform(0.0, 0.05) * 1e4) / 1e4);
        soil.inUse = true;
    }
    return EncodeSoilTable(records);
}

std::string MakeDeviceConfig(std::uint64_t seed) {
    std::string bytes(64, '\0');
    const std::string model = "VANTREL 2.31";
    std::copy(model.begin(), model.end(), bytes.begin());
    const std::string serial = Name("SN%06d", static_cast<int>(seed % 1000000));
    std::copy(serial.begin(), serial.end(), bytes.begin() + 16);
    bytes[32] = 0x25;  // baud rate code and logging flags: opaque to the utility
    bytes[33] = 0x01;
    return bytes;
}

std::string MakeIdFile(Random& random, int site) {
    std::string bytes = Name("SITE%04d", site);
    for (int i = 0; i < 8; ++i) bytes += static_cast<char>(random.Next() & 0xFF);
    return bytes;
}

}  // namespace

std::vector<LoggerFile> MakeSampleImage(const SampleOptions& options) {
    Random random(options.seed);
    const int dayOffset = static_cast<int>(options.seed % 200);
    const std::int32_t start = LoggerSeconds(2025, 6, 1, 6) + dayOffset * 86400;

    std::vector<LoggerFile> files;
    files.push_back({"QUILON.CFG00", MakeDeviceConfig(options.seed)});
    for (int p = 1; p <= options.profiles; ++p) {
        const ProfileStyle& style = kStyles[(p - 1) % std::size(kStyles)];
        files.push_back({Name("PRO%02d.CFG00", p), MakeConfigFile(style, options.sensors)});
        files.push_back({Name("PRO%02d.DAT00", p), MakeDataFile(random, style, options, start)});
    }
    const int unusedUserSoils[] = {5};
    files.push_back({"USERSOIL.CFG01", MakeSoilTable(random, 6, unusedUserSoils)});
    files.push_back({"ORTVELSOIL.CFG01", MakeSoilTable(random, 8, {})});
    files.push_back({"PRODUCTS.GR", "VANTREL\r\nRHIZOMAP\r\nSOILCHECK\r\n"});
    files.push_back({"SITE0001.id", MakeIdFile(random, 1)});
    files.push_back({"SITE0002.id", MakeIdFile(random, 2)});
    return files;
}

void WriteImage(const std::vector<LoggerFile>& files, const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (const LoggerFile& file : files) WriteFileAtomically(folder / file.name, file.bytes);
}

}  // namespace vantrel::sample
