// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/SeriesIdentity.h"

#include <algorithm>

#include "data/VantrelArchive.h"
#include "ops/ExportText.h"

namespace vantrel {
namespace {

std::string Pair(const std::string& a, const std::string& b) {
    return " (" + a + ", " + b + ")";
}

// The depth labels of `a`'s sensors, among those both profiles have, at which `differs`
// holds: "at 20cm, 30cm"; "at every depth" when it holds at each of several.
template <typename Differs>
std::string AtDepths(const CVantrelArchive& a, int ia, int common, Differs differs) {
    std::string depths;
    int count = 0;
    for (int s = 0; s < common; ++s) {
        if (!differs(s)) continue;
        depths += depths.empty() ? " at " : ", ";
        depths += a.GetDepthLabel(ia, s);
        ++count;
    }
    return count > 1 && count == common ? " at every depth" : depths;
}

std::string Coefficients(const CVantrelArchive& archive, int index, int sensor) {
    std::string abc[3];
    archive.GetCalibration(index, sensor, abc[0], abc[1], abc[2]);
    return abc[0] + "/" + abc[1] + "/" + abc[2];
}

}  // namespace

SeriesIdentity IdentityOf(const CVantrelArchive& archive, int index) {
    SeriesIdentity identity;
    identity.profileNo = archive.GetProfileNo(index);
    identity.siteBlock = ExportSiteBlock(archive, index);
    identity.calibrationBlock = ExportCalibrationBlock(archive, index);
    const CProfileNode& node = archive.GetProfile(index);
    for (int s = 0; s < archive.GetSensorCount(index); ++s) {
        identity.soilCodes.push_back(node.GetSoilCode(s));
    }
    return identity;
}

std::string DescribeDifference(const CVantrelArchive& a, int ia, const CVantrelArchive& b, int ib) {
    std::vector<std::string> items;
    if (a.GetProfileNo(ia) != b.GetProfileNo(ib)) {
        items.push_back(
            "site" + Pair(std::to_string(a.GetProfileNo(ia)), std::to_string(b.GetProfileNo(ib))));
    }
    if (a.GetUnitsText(ia) != b.GetUnitsText(ib)) {
        items.push_back("units" + Pair(a.GetUnitsText(ia), b.GetUnitsText(ib)));
    } else if (a.GetFirstDepth(ia) != b.GetFirstDepth(ib)) {
        const std::string units = a.GetUnitsText(ia);
        items.push_back("first depth" + Pair(std::to_string(a.GetFirstDepth(ia)) + units,
                                             std::to_string(b.GetFirstDepth(ib)) + units));
    }
    const int sensorsA = a.GetSensorCount(ia);
    const int sensorsB = b.GetSensorCount(ib);
    if (sensorsA != sensorsB) {
        items.push_back("sensors" + Pair(std::to_string(sensorsA), std::to_string(sensorsB)));
    }
    const int common = std::min(sensorsA, sensorsB);
    const std::string codes = AtDepths(a, ia, common, [&](int s) {
        return a.GetProfile(ia).GetSoilCode(s) != b.GetProfile(ib).GetSoilCode(s);
    });
    if (!codes.empty()) items.push_back("soil codes" + codes);
    const std::string calibration = AtDepths(
        a, ia, common, [&](int s) { return Coefficients(a, ia, s) != Coefficients(b, ib, s); });
    if (!calibration.empty()) items.push_back("calibration" + calibration);

    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

}  // namespace vantrel
