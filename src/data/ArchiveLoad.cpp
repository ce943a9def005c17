// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a backup file into an archive: the current layout and the old one.

#include "data/ArchiveFormat.h"
#include "data/ByteReader.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

// Classes and records are numbered together as they are met, from 1 (0 is the null
// object). Only the kind of each number matters: a class reference must name a class.
class LoadTable {
public:
    void AddClass() { isClass_.push_back(true); }
    void AddRecord() { isClass_.push_back(false); }
    bool IsClassNumber(std::uint32_t number) const {
        return number >= 1 && number <= isClass_.size() && isClass_[number - 1];
    }

private:
    std::vector<bool> isClass_;
};

class ArchiveLoader {
public:
    explicit ArchiveLoader(std::span<const std::uint8_t> bytes) : in_(bytes) {}

    CVantrelArchive Load() {
        CVantrelArchive a;
        const std::uint32_t marker = in_.Count();
        const bool oldLayout = marker < archive::kFirstMarker;
        if (!oldLayout && marker != archive::kLayoutMarker) return a;  // unknown: empty

        ReadProfiles(oldLayout ? marker : in_.Count(), a.m_profiles);
        a.m_dtBackup = in_.Date();
        a.m_dtReserved = in_.Date();
        a.m_dtFrom = in_.Date();
        a.m_dtTo = in_.Date();
        a.m_strDeviceConfig = in_.String();
        a.m_strUserSoil = in_.String();
        a.m_strOrtvelSoil = in_.String();
        if (!oldLayout) {
            ReadStringList(a.m_astrOtherNames);
            ReadStringList(a.m_astrOtherFiles);
        }
        return a;
    }

private:
    void ReadProfiles(std::uint32_t count, std::vector<CProfileNode>& profiles) {
        in_.Need(count, archive::kMinTaggedProfileBytes);
        profiles.reserve(count);
        for (std::uint32_t k = 0; k < count; ++k) {
            ReadTag();
            profiles.push_back(ReadBody());
        }
    }

    // A tag must start a new record of class "CProfileNode": either a class definition
    // or a reference to one. A null tag or a reference to an earlier record is refused
    // with BadIndex, so the list never holds a missing record or one record twice.
    void ReadTag() {
        const std::uint16_t word = in_.U16();
        // The short form moves its class bit (bit 15) to bit 31.
        const std::uint32_t shortTag = word;
        const std::uint32_t tag = word == archive::kBigTag
                                      ? in_.U32()
                                      : ((shortTag & archive::kClassTagBit) << 16) |
                                            (shortTag & ~std::uint32_t{archive::kClassTagBit});
        if (word == archive::kNewClassTag) {
            ReadClassDefinition();
        } else if ((tag & archive::kBigClassTagBit) != 0) {
            const std::uint32_t number = tag & ~archive::kBigClassTagBit;
            if (!table_.IsClassNumber(number)) {
                throw ArchiveError(ArchiveError::Kind::BadIndex,
                                   "the backup file refers to class " + std::to_string(number) +
                                       ", which it does not define");
            }
        } else {
            throw ArchiveError(
                ArchiveError::Kind::BadIndex,
                tag == 0 ? "the backup file holds a null profile record"
                         : "the backup file repeats profile record " + std::to_string(tag));
        }
        table_.AddRecord();
    }

    void ReadClassDefinition() {
        in_.U16();  // schema: any value is accepted
        const std::uint16_t nameLength = in_.U16();
        if (nameLength >= archive::kMaxClassNameLength) {
            throw ArchiveError(ArchiveError::Kind::BadClass,
                               "the backup file names a class with a name too long");
        }
        const std::string_view name = in_.Bytes(nameLength);
        if (name != archive::kProfileClassName) {
            throw ArchiveError(
                ArchiveError::Kind::BadClass,
                "the backup file names an unknown class \"" + std::string(name) + "\"");
        }
        table_.AddClass();
    }

    CProfileNode ReadBody() {
        CProfileNode node;
        node.m_nProfileNo = in_.I32();
        node.m_dtFirst = in_.Date();
        node.m_dtLast = in_.Date();
        node.m_nReadings = in_.I32();
        node.m_strData = in_.String();
        node.m_strConfig = in_.String();
        return node;
    }

    void ReadStringList(std::vector<std::string>& list) {
        const std::uint32_t count = in_.Count();
        in_.Need(count, 1);
        list.reserve(count);
        for (std::uint32_t k = 0; k < count; ++k) list.push_back(in_.String());
    }

    ByteReader in_;
    LoadTable table_;
};

}  // namespace

CVantrelArchive CVantrelArchive::Load(std::span<const std::uint8_t> bytes) {
    return ArchiveLoader(bytes).Load();
}

}  // namespace vantrel
