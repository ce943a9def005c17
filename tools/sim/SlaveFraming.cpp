// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SlaveFraming.h"

#include "sim/HexText.h"

namespace vantrel::sim {

std::uint8_t ComputeLrc(std::string_view bytes) {
    unsigned sum = 0;
    for (char c : bytes) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>((256U - (sum & 0xFFU)) & 0xFFU);
}

std::string AckPayload() {
    return std::string(1, kAck);
}

std::string NakPayload(LoggerError code) {
    return std::string(1, kNak) + ToHex(static_cast<std::uint32_t>(code), 2);
}

std::string HoldOffPayload() {
    return std::string(1, kHoldOff);
}

std::string BuildReplyFrame(std::uint16_t id, std::string_view payload) {
    std::string frame = "@s" + ToHex(id, 4) + ";";
    frame += payload;
    frame += ToHex(ComputeLrc(frame), 2);
    frame += '\0';
    return frame;
}

std::optional<RequestFrame> ParseRequestFrame(std::string_view frameText) {
    // "@m" + id(4) + ";" + body(>= 1) + LRC(2)
    constexpr std::size_t kMinLength = 10;
    if (frameText.size() < kMinLength || frameText[0] != '@' || frameText[1] != 'm' ||
        frameText[6] != ';') {
        return std::nullopt;
    }
    const auto id = ParseHexNumber(frameText.substr(2, 4));
    const auto lrc = ParseHexNumber(frameText.substr(frameText.size() - 2));
    const std::string_view covered = frameText.substr(0, frameText.size() - 2);
    if (!id || !lrc || *lrc != ComputeLrc(covered)) return std::nullopt;
    return RequestFrame{static_cast<std::uint16_t>(*id), std::string(covered.substr(7))};
}

FrameAssembler::Output FrameAssembler::Feed(std::string_view bytes) {
    Output out;
    for (char c : bytes) {
        if (c == '@') {
            out.ignoredBytes += frame_.size();
            frame_.assign(1, c);
            inFrame_ = true;
            continue;
        }
        if (!inFrame_) {
            ++out.ignoredBytes;
            continue;
        }
        if (c == '\0') {
            out.frames.push_back(std::move(frame_));
            frame_.clear();
            inFrame_ = false;
            continue;
        }
        if (frame_.size() >= kMaxFrameBytes) {
            out.ignoredBytes += frame_.size() + 1;
            frame_.clear();
            inFrame_ = false;
            continue;
        }
        frame_ += c;
    }
    return out;
}

}  // namespace vantrel::sim
