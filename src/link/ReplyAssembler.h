// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Assembles reply frames from received bytes: "@" starts (or restarts) a frame, NUL ends
// it, bytes outside a frame are ignored, a frame longer than 4094 bytes is lost.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

class ReplyAssembler {
public:
    static constexpr std::size_t kMaxFrameBytes = 4094;

    // Takes one received byte; returns true when it completed a frame.
    bool OnByte(std::uint8_t byte);

    // Forgets a partly received frame.
    void Reset();

    // Bytes of the frame being received (0 when none is half received).
    std::size_t FrameLength() const { return length_; }
    bool InFrame() const { return inFrame_; }

    // The last complete frame, without its NUL.
    const std::string& CurrentReply() const { return currentReply_; }

    bool ReplyReady() const { return replyReady_; }
    void ClearReplyReady() { replyReady_ = false; }

private:
    std::array<char, 4096> buffer_{};
    std::size_t length_ = 0;
    bool inFrame_ = false;
    bool replyReady_ = false;
    std::string currentReply_;
};

}  // namespace vantrel
