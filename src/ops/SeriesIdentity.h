// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What makes a profile of one backup and a profile of another the same series of readings:
// the same site, the same depths and the same calibration. These are what the export writes
// above the readings (its site block and its calibration block), so two profiles are one
// series exactly when an export of the one could be appended to an export of the other,
// and, beyond what those blocks print, when each sensor has the same soil code.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

class CVantrelArchive;

struct SeriesIdentity {
    std::int32_t profileNo = 0;
    // "Site#:, 3\nDepths:, 10 - 20cm\n\n": the number, first and last depth, the units.
    std::string siteBlock;
    // "Calibration, 10cm, 20cm\nA:, ...\nB:, ...\nC:, ...\n\n": the depth header (sensor
    // count and depth step) and every sensor's coefficients as the export prints them.
    std::string calibrationBlock;
    std::vector<std::uint8_t> soilCodes;  // one per sensor

    friend bool operator==(const SeriesIdentity&, const SeriesIdentity&) = default;
};

// The identity of profile `index` (0 .. count-1; std::out_of_range otherwise).
SeriesIdentity IdentityOf(const CVantrelArchive& archive, int index);

// What sets profile `ib` of `b` apart from profile `ia` of `a`, for the user, as items
// joined with ", ": "units (cm, inches)", "first depth (10cm, 7cm)", "sensors (6, 4)",
// "soil codes at 20cm, 30cm", "calibration at 10cm" ("at every depth" where all of several
// differ). Empty when their identities agree.
std::string DescribeDifference(const CVantrelArchive& a, int ia, const CVantrelArchive& b, int ib);

}  // namespace vantrel
