// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sorting the downloaded logger files into a backup: profile records, the device
// configuration, both soil tables and the other files.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class CVantrelArchive;

enum class BackupSortResult { Ok, OrtvelSoilMissing, UserSoilMissing };

// The message a failed sort is reported with ("" for Ok).
std::string_view BackupSortMessage(BackupSortResult result);

using ExcludePredicate = std::function<bool(std::string_view loggerFileName)>;

// A logger file that was downloaded but is not kept in the backup, and why.
struct LeftOutFile {
    enum class Reason {
        NamedEmpty,    // a file named "Empty", the word that ends the Excludes list
        ExcludesList,  // named by the Excludes list
        NoPartner,     // a profile data file without its configuration file
        Replaced,      // a later file of the same profile and kind took its place
    };
    std::string name;
    Reason reason;
    std::string other;  // NoPartner: the missing file; Replaced: the file kept instead
};

// "These vantrel files are not in the backup:" and one line per file with its reason;
// empty for none.
std::string DescribeLeftOutFiles(const std::vector<LeftOutFile>& files);

// The Excludes list of "Vantrel.ini" in the current directory.
ExcludePredicate DefaultExcludes();

// Fills `archive` from the logger's files, given in listing order as names and hex texts
// (index-aligned; different sizes throw std::invalid_argument). Profile files pair up by
// their two-character key ("PRO07.DAT00" has the key 07; a later file with the same key
// and kind replaces an earlier one); "QUILON.CFG00", "USERSOIL.CFG01" and
// "ORTVELSOIL.CFG01" fill their own fields; every other file is kept unless `isExcluded`
// names it. Both soil tables are required (the Ortvel table is checked first); when one is
// missing or empty no profile is added. Profile records are added in ascending key order;
// a data file without a configuration file is dropped.
// `leftOut`, when given, receives the files not kept, in listing order.
BackupSortResult SortBackupFiles(const std::vector<std::string>& names,
                                 const std::vector<std::string>& contents, CVantrelArchive& archive,
                                 const ExcludePredicate& isExcluded = DefaultExcludes(),
                                 std::vector<LeftOutFile>* leftOut = nullptr);

}  // namespace vantrel
