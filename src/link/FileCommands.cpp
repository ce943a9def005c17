// SPDX-License-Identifier: GPL-3.0-or-later
// The logger's file-system requests and the single-file download and upload.
#include <algorithm>
#include <cctype>
#include <utility>

#include "base/StringPrintf.h"
#include "link/LinkEngine.h"
#include "link/Requests.h"

namespace vantrel {

namespace {
std::uint32_t Percent(std::uint64_t part, std::uint64_t whole) {
    return whole == 0 ? 0 : static_cast<std::uint32_t>(part * 100 / whole);
}

bool IsHexText(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}
}  // namespace

void CLinkEngine::FailTransfer(const char* format, const std::string& name) {
    statusText_ = StringPrintf(format, name.c_str());
    services_.log.Line(statusText_ + ": " + CurrentReply());
    PostStatus(0, statusText_);
}

bool CLinkEngine::CloseLink() {
    singleAttempt_ = true;
    const bool closed = Transact(request::CloseLink());
    singleAttempt_ = false;
    return closed;
}

bool CLinkEngine::GetFileCount(int& count) {
    if (!Transact(request::GetFileCount())) return false;
    const auto parsed = reply::FileCount(CurrentReply());
    if (!parsed) {
        services_.log.Line("Unreadable file count: " + CurrentReply());
        return false;
    }
    count = *parsed;
    return true;
}

namespace {
bool TakeFileInfo(const std::string& reply, IDiagnosticLog& log, std::string& name,
                  std::uint32_t& size) {
    const auto entry = reply::FileInfo(reply);
    if (!entry) {
        log.Line("Unreadable file information: " + reply);
        return false;
    }
    name = entry->name;
    size = entry->size;
    return true;
}
}  // namespace

bool CLinkEngine::GetFirstFileInfo(std::string& name, std::uint32_t& size) {
    return Transact(request::GetFirstFileInfo()) &&
           TakeFileInfo(CurrentReply(), services_.log, name, size);
}

bool CLinkEngine::GetNextFileInfo(std::string& name, std::uint32_t& size) {
    return Transact(request::GetNextFileInfo()) &&
           TakeFileInfo(CurrentReply(), services_.log, name, size);
}

bool CLinkEngine::DeleteLoggerFile(const std::string& name) {
    return Transact(request::DeleteFile(name));
}

bool CLinkEngine::RetrieveFile(const std::string& name, std::uint32_t size, std::string& content) {
    statusText_ = StringPrintf("Retrieving %s", name.c_str());
    PostItemStatus(0, statusText_);
    if (!Transact(request::OpenForReading(name))) return false;
    const auto handle = reply::FileHandle(CurrentReply());
    if (!handle) {
        // Without a handle there is nothing to read and nothing to close.
        FailTransfer("Bad file handle from Vantrel while transferring %s", name);
        return false;
    }
    content.clear();
    std::uint32_t remaining = size;
    std::uint64_t received = 0;
    bool readFailed = false;
    while (remaining > 0) {
        const std::uint32_t wanted = std::min(remaining, kMaxBlockBytes);
        if (!Transact(request::ReadBlock(*handle, wanted))) {
            readFailed = true;
            break;
        }
        const auto count = reply::BlockCount(CurrentReply());
        const std::string_view data = reply::BlockData(CurrentReply());
        // A count of 0 or more than asked would loop for ever or overrun the file; data
        // that do not match the count, or are not hexadecimal digits (a damaged reply whose
        // LRC still adds up), would corrupt it.
        if (!count || *count == 0 || *count > wanted || data.size() != 2u * *count ||
            !IsHexText(data)) {
            FailTransfer("Bad block size from Vantrel while transferring %s", name);
            readFailed = true;
            break;
        }
        content.append(data);
        received += *count;
        PostStatus(Percent(received, size), std::nullopt);
        PostItemStatus(kKeepProgress, statusText_);
        if (*count == remaining) break;
        remaining -= *count;
    }
    PostStatus(0, std::nullopt);
    if (!Transact(request::CloseHandle(*handle))) return false;
    return !readFailed;
}

bool CLinkEngine::CloseSuspendedUpload() {
    const std::optional<int> handle = std::exchange(uploadHandle_, std::nullopt);
    return !handle || Transact(request::CloseHandle(*handle));
}

bool CLinkEngine::UploadFile(const std::string& name, std::string_view content) {
    statusText_ = StringPrintf("Uploading %s", name.c_str());
    PostItemStatus(0, statusText_);
    if (!Transact(request::CreateFile(name))) {
        // Cancelled after the logger created and opened the file: close it, so that the
        // caller can delete the empty file (an open file cannot be deleted).
        if (lastReplyStatus_ == ReplyStatus::Data) {
            if (const auto handle = reply::FileHandle(CurrentReply())) {
                Transact(request::CloseHandle(*handle));
            }
        }
        statusText_ =
            StringPrintf("Fatal error uploading %s - Vantrel may now be unstable", name.c_str());
        PostStatus(0, statusText_);
        return false;
    }
    PostItemStatus(0, statusText_);
    const auto handle = reply::FileHandle(CurrentReply());
    if (!handle) {
        FailTransfer("Bad file handle from Vantrel while transferring %s", name);
        return false;
    }
    uploadHandle_ = handle;
    struct Closed {
        std::optional<int>& handle;
        ~Closed() { handle.reset(); }
    } closed{uploadHandle_};
    const std::uint64_t total = content.size() / 2;
    std::uint64_t remaining = total;
    std::uint64_t sent = 0;
    std::size_t position = 0;
    std::uint32_t progress = 0;
    for (;;) {
        if (remaining == 0) {
            if (Transact(request::CloseHandle(*handle))) return true;
            statusText_ = StringPrintf(
                "Unable to close handle for %s - Vantrel may now be unstable", name.c_str());
            PostStatus(progress, statusText_);
            return false;
        }
        const auto blockBytes =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(remaining, kMaxBlockBytes));
        if (!Transact(request::WriteBlock(*handle, content.substr(position, 2u * blockBytes)))) {
            Transact(request::CloseHandle(*handle));
            return false;
        }
        const auto accepted = reply::BlockCount(CurrentReply());
        if (!accepted || *accepted == 0 || *accepted > blockBytes) {
            FailTransfer("Bad block size from Vantrel while transferring %s", name);
            Transact(request::CloseHandle(*handle));
            return false;
        }
        sent += *accepted;
        progress = Percent(sent, total);
        PostStatus(progress, std::nullopt);
        PostItemStatus(progress, statusText_);
        remaining -= *accepted;
        position += 2u * *accepted;
    }
}

}  // namespace vantrel
