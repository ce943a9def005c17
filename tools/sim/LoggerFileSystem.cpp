// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/LoggerFileSystem.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

#include "data/AtomicFile.h"

namespace vantrel::sim {
namespace fs = std::filesystem;

CivilTime ToCivilTimeUtc(std::int64_t secondsSinceEpoch) {
    using namespace std::chrono;
    const sys_seconds point{seconds{secondsSinceEpoch}};
    const auto dayPoint = floor<days>(point);
    const year_month_day date{dayPoint};
    const hh_mm_ss time{point - dayPoint};
    CivilTime civil;
    civil.year = static_cast<std::uint16_t>(static_cast<int>(date.year()));
    civil.month = static_cast<std::uint8_t>(static_cast<unsigned>(date.month()));
    civil.day = static_cast<std::uint8_t>(static_cast<unsigned>(date.day()));
    civil.hour = static_cast<std::uint8_t>(time.hours().count());
    civil.minute = static_cast<std::uint8_t>(time.minutes().count());
    civil.second = static_cast<std::uint8_t>(time.seconds().count());
    return civil;
}

CivilTime CurrentCivilTimeUtc() {
    using namespace std::chrono;
    return ToCivilTimeUtc(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

bool IsValidLoggerName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '.') return false;
    for (char c : name) {
        const bool printable = c > ' ' && c < 0x7F;
        if (!printable || c == '"' || c == '@' || c == '/' || c == '\\') return false;
    }
    return true;
}

namespace {

// Through std::filesystem rather than stat(), whose path and time fields differ on Windows
// (the in-process engine serves the desktop program's tests there).
CivilTime ModificationTime(const fs::path& path) {
    std::error_code error;
    const fs::file_time_type written = fs::last_write_time(path, error);
    if (error) return CurrentCivilTimeUtc();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(written).time_since_epoch());
    return ToCivilTimeUtc(static_cast<std::int64_t>(seconds.count()));
}

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    if (!in) {
        throw fs::filesystem_error("cannot read image file", path,
                                   std::make_error_code(std::errc::io_error));
    }
    return std::move(contents).str();
}

}  // namespace

LoggerFileSystem LoggerFileSystem::LoadFromDirectory(const fs::path& dir,
                                                     std::vector<std::string>* skipped) {
    LoggerFileSystem result;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::string name = entry.path().filename().string();
        if (!IsValidLoggerName(name) || entry.file_size() > 0xFFFFFFFFULL) {
            if (skipped) skipped->push_back(std::move(name));
            continue;
        }
        result.Put(std::move(name), ReadWholeFile(entry.path()), ModificationTime(entry.path()));
    }
    return result;
}

void LoggerFileSystem::DumpToDirectory(const fs::path& dir) const {
    fs::create_directories(dir);
    for (const auto& [name, file] : files_) WriteFileAtomically(dir / name, file.bytes);
}

const LoggerFile* LoggerFileSystem::Find(std::string_view name) const {
    const auto it = files_.find(name);
    return it == files_.end() ? nullptr : &it->second;
}

void LoggerFileSystem::Put(std::string name, std::string bytes, CivilTime created) {
    files_.insert_or_assign(std::move(name), LoggerFile{std::move(bytes), created});
}

bool LoggerFileSystem::Remove(std::string_view name) {
    const auto it = files_.find(name);
    if (it == files_.end()) return false;
    files_.erase(it);
    return true;
}

const LoggerFileSystem::Files::value_type* LoggerFileSystem::First() const {
    return files_.empty() ? nullptr : &*files_.begin();
}

const LoggerFileSystem::Files::value_type* LoggerFileSystem::After(std::string_view name) const {
    const auto it = files_.upper_bound(name);
    return it == files_.end() ? nullptr : &*it;
}

}  // namespace vantrel::sim
