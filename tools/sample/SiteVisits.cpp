// SPDX-License-Identifier: GPL-3.0-or-later
#include "sample/SiteVisits.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "sample/LoggerFileEncoding.h"

namespace vantrel::sample {
namespace {

constexpr std::size_t kRecordBytes = 128;
constexpr std::int32_t kHour = 3600;
constexpr std::int32_t kDay = 86400;

std::uint32_t BigEndianAt(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + k]);
    }
    return value;
}

void PutBigEndianAt(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t k = 0; k < 4; ++k) {
        bytes[at + k] = static_cast<char>((value >> (8 * (3 - k))) & 0xFF);
    }
}

std::int32_t SecondsOf(const std::string& data, std::size_t record) {
    return static_cast<std::int32_t>(BigEndianAt(data, record * kRecordBytes + 4));
}

bool IsDataFile(const LoggerFile& file) {
    return file.name.size() == 11 && file.name.starts_with("PRO") && file.name.ends_with(".DAT00");
}

// The records of `data` logged in [from, to).
std::string RecordsBetween(const std::string& data, std::int32_t from, std::int32_t to) {
    std::string kept;
    for (std::size_t r = 0; r < data.size() / kRecordBytes; ++r) {
        const std::int32_t at = SecondsOf(data, r);
        if (at >= from && at < to) kept += data.substr(r * kRecordBytes, kRecordBytes);
    }
    return kept;
}

// The first sensor's calibrated value of the records logged before `before`, 0.5 higher.
void ReadAnew(std::string& data, std::int32_t before) {
    for (std::size_t r = 0; r < data.size() / kRecordBytes; ++r) {
        if (SecondsOf(data, r) >= before) continue;
        const std::size_t at = r * kRecordBytes + 64;
        const float value = std::bit_cast<float>(BigEndianAt(data, at)) + 0.5f;
        PutBigEndianAt(data, at, std::bit_cast<std::uint32_t>(value));
    }
}

}  // namespace

std::vector<SiteVisit> MakeSiteVisits(const SiteVisitOptions& options) {
    SampleOptions sample = options.sample;
    // Enough readings for the hourly profiles over every visit.
    sample.readings = options.visits * options.daysBetween * 24;
    const std::vector<LoggerFile> whole = MakeSampleImage(sample);

    std::int32_t start = std::numeric_limits<std::int32_t>::max();
    for (const LoggerFile& file : whole) {
        if (IsDataFile(file) && file.bytes.size() >= kRecordBytes) {
            start = std::min(start, SecondsOf(file.bytes, 0));
        }
    }
    std::vector<SiteVisit> visits;
    for (int v = 1; v <= options.visits; ++v) {
        if (v == options.lost) continue;
        const std::int32_t from = start + (v - 1) * options.daysBetween * kDay;
        const std::int32_t to = start + v * options.daysBetween * kDay;
        const std::int32_t held = v > 1 ? from - options.overlapHours * kHour : from;
        SiteVisit visit{v, to + 2 * kHour, {}};
        for (const LoggerFile& file : whole) {
            LoggerFile copy{file.name, {}};
            if (IsDataFile(file)) {
                copy.bytes = RecordsBetween(file.bytes, held, to);
                if (v == options.readAnew) ReadAnew(copy.bytes, from);
            } else {
                copy.bytes = file.bytes;
            }
            if (file.name == "USERSOIL.CFG01" && options.recalibrated > 0 &&
                v >= options.recalibrated && copy.bytes.size() >= 32) {
                const float a = std::bit_cast<float>(BigEndianAt(copy.bytes, 16)) + 0.01f;
                PutBigEndianAt(copy.bytes, 16, std::bit_cast<std::uint32_t>(a));
            }
            visit.files.push_back(std::move(copy));
        }
        visits.push_back(std::move(visit));
    }
    return visits;
}

}  // namespace vantrel::sample
