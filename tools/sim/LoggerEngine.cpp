// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/LoggerEngine.h"

#include "sim/HexText.h"
#include "sim/SlaveFraming.h"

namespace vantrel::sim {
namespace {

std::string CorruptLrc(std::string frame) {
    // frame = text + 2 LRC digits + NUL: replace the LRC by a different valid-looking one.
    const std::size_t lrcAt = frame.size() - 3;
    const auto lrc = ParseHexNumber(std::string_view(frame).substr(lrcAt, 2)).value_or(0);
    frame.replace(lrcAt, 2, ToHex((lrc + 0x5A) & 0xFFU, 2));
    return frame;
}

std::uint16_t OlderId(std::uint16_t id) {
    // Ids run 0000..1000 and wrap; the id before 0000 is 1000.
    return id == 0 ? std::uint16_t{0x1000} : static_cast<std::uint16_t>(id - 1);
}

}  // namespace

LoggerEngine::LoggerEngine(LoggerFileSystem files, FaultOptions faults,
                           std::function<CivilTime()> now)
    : files_(std::move(files)),
      faults_(faults),
      processor_(
          files_, [this](std::size_t asked) { return faults_.BlockSize(asked); }, std::move(now)) {
    processor_.SetEndlessListing(faults.endlessListing);
}

LoggerEngine::Output LoggerEngine::Receive(std::string_view bytes) {
    FrameAssembler::Output assembled = assembler_.Feed(bytes);
    Output out;
    out.ignoredBytes = assembled.ignoredBytes;
    for (std::string& frame : assembled.frames)
        out.exchanges.push_back(HandleFrame(std::move(frame)));
    return out;
}

Exchange LoggerEngine::HandleFrame(std::string frameText) {
    Exchange exchange;
    exchange.request = frameText + '\0';
    const auto request = ParseRequestFrame(frameText);
    if (!request) {
        exchange.note = "ignored: malformed frame or bad LRC";
        return exchange;
    }

    const std::uint32_t silentAfter = faults_.options().silentAfter;
    if (silentAfter != 0 && requestsHeard_ >= silentAfter) {
        exchange.note = "fault silent: the line is dead";
        return exchange;
    }
    ++requestsHeard_;
    const bool repeat = frameText == previousFrame_;
    previousFrame_ = frameText;
    const Fault fault = repeat && !faults_.options().faultRetries ? Fault::None : faults_.Next();

    if (fault == Fault::Nak) {
        exchange.note = "fault nak: refused, not executed";
        exchange.replies.push_back(
            {{}, BuildReplyFrame(request->id, NakPayload(LoggerError::FileError))});
        return exchange;
    }

    if (repeat && frameText == executedFrame_) {
        exchange.note = "repeat: stored reply sent again";
    } else {
        executedPayload_ = processor_.Execute(request->body);
        executedFrame_ = frameText;
    }
    std::string reply = BuildReplyFrame(request->id, executedPayload_);

    switch (fault) {
        case Fault::None:
            exchange.replies.push_back({{}, std::move(reply)});
            break;
        case Fault::Drop:
            break;
        case Fault::BadLrc:
            exchange.replies.push_back({{}, CorruptLrc(std::move(reply))});
            break;
        case Fault::StaleId:
            exchange.replies.push_back(
                {{}, BuildReplyFrame(OlderId(request->id), executedPayload_)});
            break;
        case Fault::HoldOff:
            exchange.replies.push_back({{}, BuildReplyFrame(request->id, HoldOffPayload())});
            exchange.replies.push_back({faults_.options().holdOffDelay, std::move(reply)});
            break;
        case Fault::Nak:
            break;  // handled above
    }
    if (fault != Fault::None) {
        exchange.note +=
            std::string(exchange.note.empty() ? "" : "; ") + "fault " + FaultName(fault);
    }
    return exchange;
}

}  // namespace vantrel::sim
