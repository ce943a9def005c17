// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ReplyAssembler.h"

namespace vantrel {

bool ReplyAssembler::OnByte(std::uint8_t byte) {
    if (byte == '@') {
        length_ = 0;
        inFrame_ = true;
    }
    if (!inFrame_) return false;
    if (length_ >= kMaxFrameBytes) {
        // Too long to be a reply: the frame is lost and the transport times out.
        inFrame_ = false;
        length_ = 0;
        return false;
    }
    buffer_[length_++] = static_cast<char>(byte);
    if (byte != 0) return false;
    currentReply_.assign(buffer_.data(), length_ - 1);
    replyReady_ = true;
    length_ = 0;
    inFrame_ = false;
    return true;
}

void ReplyAssembler::Reset() {
    length_ = 0;
    inFrame_ = false;
}

}  // namespace vantrel
