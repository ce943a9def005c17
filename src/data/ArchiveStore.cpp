// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a backup archive as the bytes of a backup file.

#include "data/ArchiveFormat.h"
#include "data/ByteWriter.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

constexpr std::size_t kDateBytes = 12;

std::size_t StoredSize(const CVantrelArchive& a) {
    std::size_t size = 2 + 6 + 4 * kDateBytes;
    size += 8 + archive::kProfileClassName.size();
    for (const CProfileNode& node : a.m_profiles) {
        size += 2 + 4 + 2 * kDateBytes + 4;
        size += ByteWriter::StringSize(node.m_strData) + ByteWriter::StringSize(node.m_strConfig);
    }
    for (const std::string* text : {&a.m_strDeviceConfig, &a.m_strUserSoil, &a.m_strOrtvelSoil})
        size += ByteWriter::StringSize(*text);
    size += 12;
    for (const auto* list : {&a.m_astrOtherNames, &a.m_astrOtherFiles}) {
        for (const std::string& text : *list) size += ByteWriter::StringSize(text);
    }
    return size;
}

void WriteProfile(ByteWriter& out, const CProfileNode& node, bool first) {
    if (first) {
        out.U16(archive::kNewClassTag);
        out.U16(archive::kProfileSchema);
        out.U16(static_cast<std::uint16_t>(archive::kProfileClassName.size()));
        out.Bytes(archive::kProfileClassName);
    } else {
        out.U16(archive::kFirstClassReference);
    }
    out.I32(node.m_nProfileNo);
    out.Date(node.m_dtFirst);
    out.Date(node.m_dtLast);
    out.I32(node.m_nReadings);
    out.String(node.m_strData);
    out.String(node.m_strConfig);
}

void WriteStringList(ByteWriter& out, const std::vector<std::string>& list) {
    out.Count(list.size());
    for (const std::string& text : list) out.String(text);
}

}  // namespace

std::vector<std::uint8_t> CVantrelArchive::Store() const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(StoredSize(*this));
    ByteWriter out(bytes);
    out.U16(static_cast<std::uint16_t>(archive::kLayoutMarker));
    out.Count(m_profiles.size());
    for (std::size_t k = 0; k < m_profiles.size(); ++k) WriteProfile(out, m_profiles[k], k == 0);
    out.Date(m_dtBackup);
    out.Date(m_dtReserved);
    out.Date(m_dtFrom);
    out.Date(m_dtTo);
    out.String(m_strDeviceConfig);
    out.String(m_strUserSoil);
    out.String(m_strOrtvelSoil);
    WriteStringList(out, m_astrOtherNames);
    WriteStringList(out, m_astrOtherFiles);
    return bytes;
}

}  // namespace vantrel
