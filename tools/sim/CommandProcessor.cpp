// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/CommandProcessor.h"

#include "sim/HexText.h"

namespace vantrel::sim {
namespace {

std::string Nak(LoggerError code) {
    return NakPayload(code);
}

// A request argument of the form "\"NAME\"" followed by `rest`.
struct QuotedName {
    std::string_view name;
    std::string_view rest;
};

std::optional<QuotedName> SplitQuotedName(std::string_view args) {
    if (args.empty() || args.front() != '"') return std::nullopt;
    const std::size_t close = args.find('"', 1);
    if (close == std::string_view::npos) return std::nullopt;
    return QuotedName{args.substr(1, close - 1), args.substr(close + 1)};
}

enum SubCommand : unsigned {
    kGetFileCount = 0x01,
    kGetFirstFileInfo = 0x02,
    kGetNextFileInfo = 0x03,
    kOpenForReading = 0x04,
    kCloseHandle = 0x05,
    kReadBlock = 0x06,
    kWriteBlock = 0x09,
    kCreateFile = 0x10,
    kDeleteFile = 0x11,
};

}  // namespace

CommandProcessor::CommandProcessor(LoggerFileSystem& files,
                                   std::function<std::size_t(std::size_t)> blockSize,
                                   std::function<CivilTime()> now)
    : files_(files), blockSize_(std::move(blockSize)), now_(std::move(now)) {}

std::string CommandProcessor::Execute(std::string_view body) {
    if (body.empty()) return Nak(LoggerError::InvalidCommand);
    switch (body.front()) {
        case 'e':
            if (body.size() != 1) return Nak(LoggerError::InvalidArgument);
            // A new conversation: handles left open by an abandoned one are released and
            // files they were writing are not stored.
            CloseAll();
            lastListed_.reset();
            return AckPayload();
        case 'c':
            if (body.size() != 1) return Nak(LoggerError::InvalidArgument);
            return AckPayload();
        case 'f': {
            const auto sub = body.size() >= 3 ? ParseHexNumber(body.substr(1, 2)) : std::nullopt;
            if (!sub) return Nak(LoggerError::InvalidCommand);
            return FileCommand(*sub, body.substr(3));
        }
        default:
            return Nak(LoggerError::InvalidCommand);
    }
}

std::string CommandProcessor::FileCommand(unsigned subCommand, std::string_view args) {
    switch (subCommand) {
        case kGetFileCount:
            return args.empty() ? FileCount() : Nak(LoggerError::InvalidArgument);
        case kGetFirstFileInfo:
            if (!args.empty()) return Nak(LoggerError::InvalidArgument);
            lastListed_.reset();
            madeUpListed_ = 0;
            return FileInfo(files_.First());
        case kGetNextFileInfo: {
            if (!args.empty()) return Nak(LoggerError::InvalidArgument);
            const auto* next = lastListed_ ? files_.After(*lastListed_) : files_.First();
            if (next == nullptr && endlessListing_) {
                return MadeUpFileInfo();
            }
            return FileInfo(next);
        }
        case kOpenForReading:
            return OpenForReading(args);
        case kCloseHandle:
            return CloseHandle(args);
        case kReadBlock:
            return ReadBlock(args);
        case kCreateFile:
            return Create(args);
        case kWriteBlock:
            return WriteBlock(args);
        case kDeleteFile:
            return Delete(args);
        default:
            return Nak(LoggerError::InvalidCommand);
    }
}

std::string CommandProcessor::FileCount() const {
    const auto cap = [](std::size_t n) { return static_cast<std::uint32_t>(n > 0xFF ? 0xFF : n); };
    const std::size_t open = OpenHandleCount();
    return ToHex(cap(files_.files().size()), 2) + ToHex(cap(open), 2) +
           ToHex(cap(kHandleCount - open), 2);
}

std::string CommandProcessor::MadeUpFileInfo() {
    ++madeUpListed_;
    const std::string number = std::to_string(madeUpListed_);
    const std::string padding(number.size() < 5 ? 5 - number.size() : 0, '0');
    return "\"NOEND" + padding + number + ".TMP\"" + ToHex(0, 8) + ToHex(2000, 4) + ToHex(1, 2) +
           ToHex(1, 2) + ToHex(0, 2) + ToHex(0, 2) + ToHex(0, 2);
}

std::string CommandProcessor::FileInfo(const LoggerFileSystem::Files::value_type* entry) {
    if (!entry) return Nak(LoggerError::EndOfList);
    lastListed_ = entry->first;
    const LoggerFile& file = entry->second;
    const CivilTime& t = file.created;
    return "\"" + entry->first + "\"" + ToHex(static_cast<std::uint32_t>(file.bytes.size()), 8) +
           ToHex(t.year, 4) + ToHex(t.month, 2) + ToHex(t.day, 2) + ToHex(t.hour, 2) +
           ToHex(t.minute, 2) + ToHex(t.second, 2);
}

std::string CommandProcessor::OpenForReading(std::string_view args) {
    const auto quoted = SplitQuotedName(args);
    if (!quoted || !IsValidLoggerName(quoted->name)) return Nak(LoggerError::InvalidFilename);
    if (quoted->rest != "r") return Nak(LoggerError::InvalidArgument);
    if (!files_.Find(quoted->name)) return Nak(LoggerError::FileOpeningError);
    for (const auto& handle : handles_) {
        if (handle && handle->writing && handle->name == quoted->name) {
            return Nak(LoggerError::FileLocked);
        }
    }
    const auto slot = FreeSlot();
    if (!slot) return Nak(LoggerError::FileOpeningError);
    handles_[*slot] = OpenFile{std::string(quoted->name), false, 0, {}};
    return HandleReply(*slot);
}

std::string CommandProcessor::CloseHandle(std::string_view args) {
    if (args.size() != 2) return Nak(LoggerError::InvalidArgument);
    const HandleLookup handle = LookUpHandle(args);
    if (handle.error) return Nak(*handle.error);
    if (handle.file->writing) {
        files_.Put(handle.file->name, std::move(handle.file->written), now_());
    }
    handles_[handle.slot].reset();
    return AckPayload();
}

std::string CommandProcessor::ReadBlock(std::string_view args) {
    if (args.size() != 6) return Nak(LoggerError::InvalidArgument);
    const auto asked = ParseHexNumber(args.substr(2, 4));
    if (!asked || *asked > kMaxBlockBytes) return Nak(LoggerError::InvalidArgument);
    const HandleLookup handle = LookUpHandle(args);
    if (handle.error) return Nak(*handle.error);
    if (handle.file->writing) return Nak(LoggerError::InvalidHandle);
    const LoggerFile* file = files_.Find(handle.file->name);
    if (!file) return Nak(LoggerError::FileError);

    const std::size_t position = std::min(handle.file->position, file->bytes.size());
    std::size_t count = std::min<std::size_t>(*asked, file->bytes.size() - position);
    if (count > 0) count = std::min(count, std::max<std::size_t>(1, blockSize_(count)));
    handle.file->position = position + count;
    return ToHex(static_cast<std::uint32_t>(count), 4) +
           BytesToHex(std::string_view(file->bytes).substr(position, count));
}

std::string CommandProcessor::Create(std::string_view args) {
    const auto quoted = SplitQuotedName(args);
    if (!quoted || !IsValidLoggerName(quoted->name)) return Nak(LoggerError::InvalidFilename);
    if (!quoted->rest.empty()) return Nak(LoggerError::InvalidArgument);
    if (IsOpen(quoted->name)) return Nak(LoggerError::FileLocked);
    const auto slot = FreeSlot();
    if (!slot) return Nak(LoggerError::FileError);
    handles_[*slot] = OpenFile{std::string(quoted->name), true, 0, {}};
    return HandleReply(*slot);
}

std::string CommandProcessor::WriteBlock(std::string_view args) {
    if (args.size() < 6) return Nak(LoggerError::InvalidArgument);
    const auto count = ParseHexNumber(args.substr(2, 4));
    const auto data = HexToBytes(args.substr(6));
    if (!count || !data || data->size() != *count || *count > kMaxBlockBytes) {
        return Nak(LoggerError::InvalidArgument);
    }
    const HandleLookup handle = LookUpHandle(args);
    if (handle.error) return Nak(*handle.error);
    if (!handle.file->writing) return Nak(LoggerError::InvalidHandle);
    if (handle.file->written.size() + data->size() > 0xFFFFFFFFULL) {
        return Nak(LoggerError::FileError);
    }
    std::size_t accepted = data->size();
    if (accepted > 0) accepted = std::min(accepted, std::max<std::size_t>(1, blockSize_(accepted)));
    handle.file->written.append(*data, 0, accepted);
    return ToHex(static_cast<std::uint32_t>(accepted), 4);
}

std::string CommandProcessor::Delete(std::string_view args) {
    const auto quoted = SplitQuotedName(args);
    if (!quoted || !IsValidLoggerName(quoted->name)) return Nak(LoggerError::InvalidFilename);
    if (!quoted->rest.empty()) return Nak(LoggerError::InvalidArgument);
    if (IsOpen(quoted->name)) return Nak(LoggerError::FileLocked);
    if (!files_.Remove(quoted->name)) return Nak(LoggerError::FileError);
    return AckPayload();
}

std::size_t CommandProcessor::OpenHandleCount() const {
    std::size_t open = 0;
    for (const auto& handle : handles_) open += handle ? 1 : 0;
    return open;
}

std::optional<std::size_t> CommandProcessor::FreeSlot() const {
    for (std::size_t slot = 0; slot < handles_.size(); ++slot) {
        if (!handles_[slot]) return slot;
    }
    return std::nullopt;
}

bool CommandProcessor::IsOpen(std::string_view name) const {
    for (const auto& handle : handles_) {
        if (handle && handle->name == name) return true;
    }
    return false;
}

CommandProcessor::HandleLookup CommandProcessor::LookUpHandle(std::string_view args) {
    const auto number = ParseHexNumber(args.substr(0, 2));
    if (!number) return {nullptr, 0, LoggerError::InvalidArgument};
    if (*number < 1 || *number > kHandleCount || !handles_[*number - 1]) {
        return {nullptr, 0, LoggerError::InvalidHandle};
    }
    return {&*handles_[*number - 1], *number - 1, std::nullopt};
}

std::string CommandProcessor::HandleReply(std::size_t slot) const {
    // Two decimal digits; handles 1..9 read the same in decimal and hexadecimal.
    return "0" + std::to_string(slot + 1);
}

void CommandProcessor::CloseAll() {
    for (auto& handle : handles_) handle.reset();
}

}  // namespace vantrel::sim
