// SPDX-License-Identifier: GPL-3.0-or-later
// Whole operations of the ID Tags page: listing and deleting the logger's files, from
// opening the port to Close Link.

#include "link/LinkEngine.h"
#include "link/LinkTexts.h"
#include "link/ListingGuard.h"

namespace vantrel {

bool CLinkEngine::OperationPrologue(INotificationTarget* target, const LinkSettings& settings,
                                    bool clearCancel) {
    if (clearCancel) cancel_ = false;
    if (!OpenLink(settings.port, settings.baudRate)) {
        services_.log.Line(DescribePortOpenFailure(lastOpenFailure_));
        services_.prompt.Show(texts::kCouldNotOpenPort, texts::kCouldNotOpenPortCaption,
                              PromptButtons::OK, PromptIcon::None);
        if (target != nullptr) {
            services_.queue.Post(target, Notification::Status(0, texts::kFailedToOpenPort));
        }
        return false;
    }
    target_ = target;
    const std::uint32_t cancels = cancelsHonoured_;
    if (!OpenCommsLink()) {
        // A cancel is no failure to connect: "Communications Closed" says it all.
        if (cancelsHonoured_ != cancels) return false;
        services_.prompt.Show(texts::kCouldNotConnect, texts::kCouldNotConnectCaption,
                              PromptButtons::OK, PromptIcon::None);
        PostStatus(0, std::string(texts::kFailedToConnect));
        return false;
    }
    return true;
}

bool CLinkEngine::ListFiles(INotificationTarget* target, const LinkSettings& settings,
                            std::vector<std::string>& names, std::vector<std::uint32_t>& sizes) {
    const OperationScope operation(*this);
    if (!OperationPrologue(target, settings)) return false;
    const std::string retrieving = "Retrieving File Info";
    PostStatus(0, retrieving);
    const auto fail = [&](const char* text) {
        CloseLink();
        PostStatus(0, std::string(text));
        return false;
    };
    int count = 0;
    if (!GetFileCount(count)) return fail("Unable to retrieve number of files");
    std::string name;
    std::uint32_t size = 0;
    if (!GetFirstFileInfo(name, size)) return fail("Unable to retrieve first file info");
    // Progress counts the files of this listing against the logger's own count, as it is.
    std::uint32_t listed = 0;
    const auto append = [&] {
        names.push_back(name);
        sizes.push_back(size);
        ++listed;
        if (count > 0) PostStatus(100 * listed / static_cast<std::uint32_t>(count), retrieving);
    };
    ListingGuard guard;
    guard.Accept(name);
    append();
    while (GetNextFileInfo(name, size) && guard.Accept(name)) append();
    if (guard.GaveUp()) {
        services_.log.Line(guard.Message());
        services_.prompt.Show(guard.Message());
    }
    if (guard.GaveUp() || LastReplyStatus() != ReplyStatus::EndOfList) {
        return fail("Unable to retrieve info from file");
    }
    CloseLink();
    PostStatus(0, std::nullopt);
    return true;
}

bool CLinkEngine::DeleteFiles(INotificationTarget* target, const LinkSettings& settings,
                              const std::vector<std::string>& names, std::size_t* deleted) {
    const OperationScope operation(*this);
    if (deleted) *deleted = 0;
    if (!OperationPrologue(target, settings)) return false;
    const std::string erasing = "Erasing files";
    PostStatus(0, erasing);
    for (std::size_t index = 0; index < names.size(); ++index) {
        PostStatus(static_cast<std::uint32_t>(100 * index / names.size()), erasing);
        // A refused name ends the deletions; the transport has already said why.
        if (!DeleteLoggerFile(names[index])) break;
        if (deleted) *deleted = index + 1;
    }
    CloseLink();
    PostStatus(0, std::nullopt);
    return true;
}

}  // namespace vantrel
