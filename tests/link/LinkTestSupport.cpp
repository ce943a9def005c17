// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkTestSupport.h"

#include "base/StringPrintf.h"
#include "link/Frame.h"
#include "link/ReplyParser.h"
#include "link/Requests.h"

namespace vantrel::test {

std::string WithLrc(std::string text) {
    return text + StringPrintf("%02X", static_cast<unsigned>(ComputeLrc(text)));
}

std::string SlaveReply(std::uint16_t id, std::string_view body) {
    return WithLrc(StringPrintf("@s%04X;", static_cast<unsigned>(id)) + std::string(body));
}

std::string SlaveFrame(std::uint16_t id, std::string_view body) {
    return SlaveReply(id, body) + '\0';
}

std::string AckBody() {
    return std::string(1, kAck);
}
std::string NakBody(int code) {
    return std::string(1, kNak) + StringPrintf("%02X", code);
}

std::string HexOf(std::string_view bytes) {
    std::string hex;
    for (const char c : bytes) hex += StringPrintf("%02X", static_cast<unsigned char>(c));
    return hex;
}

std::optional<Request> ParseRequest(std::string_view frame) {
    if (frame.size() < 9 || frame.substr(0, 2) != "@m" || frame[6] != ';') return std::nullopt;
    const long id = ReplyHex(frame, 2, 4);
    if (id < 0) return std::nullopt;
    return Request{static_cast<std::uint16_t>(id), std::string(frame.substr(7, frame.size() - 9))};
}

void FakePort::SendText(std::string_view text) {
    sent.emplace_back(text);
    if (responder) responder(*this, sent.back());
}

void FakePort::Deliver(std::string_view bytes) {
    for (const char c : bytes) {
        queue_.Post(owner_, Notification::RxChar(static_cast<std::uint8_t>(c), 1));
    }
}

void FakePort::DeliverLater(std::chrono::milliseconds delay, std::string bytes) {
    clock_.Schedule(delay, [this, bytes] { Deliver(bytes); });
}

void FakePort::PostCall(std::function<void()> work) {
    queue_.Post(nullptr, Notification::Invoke(std::move(work)));
}

void ScriptedLogger::Answer(FakePort& port, const std::string& frame) {
    const auto request = ParseRequest(frame);
    if (!request) return;
    port.Deliver(AnswerText(*request));
}

std::string ScriptedLogger::AnswerText(const Request& request) {
    bodies.push_back(request.body);
    return SlaveFrame(request.id, Respond(request.body));
}

std::string ScriptedLogger::Respond(const std::string& body) {
    const auto quoted = [&] {
        const std::size_t first = body.find('"');
        const std::size_t last = body.rfind('"');
        return body.substr(first + 1, last - first - 1);
    };
    const auto fileInfo = [&] {
        if (listing_ == files.end()) return NakBody(9);
        std::string info = "\"" + listing_->first + "\"" +
                           StringPrintf("%08X", static_cast<unsigned>(listing_->second.size())) +
                           "07E8010203040506";
        ++listing_;
        return info;
    };
    const auto blockCount = [&](std::uint32_t count) {
        return StringPrintf("%04X", static_cast<unsigned>(forcedBlockCount.value_or(count)));
    };
    const std::string command = body.substr(0, 3);
    if (body == "e" || body == "c") return AckBody();
    if (command == "f01") {
        return StringPrintf("%02X0000",
                            reportedCount.value_or(static_cast<unsigned>(files.size())));
    }
    if (command == "f02") {
        listing_ = files.begin();
        return fileInfo();
    }
    if (command == "f03") return fileInfo();
    if (command == "f04") {
        openName_ = quoted();
        if (files.count(openName_) == 0) return NakBody(7);
        readPosition_ = 0;
        return "01";
    }
    if (command == "f05") return refuseClose ? NakBody(6) : AckBody();
    if (command == "f06") {
        const std::uint32_t wanted = static_cast<std::uint32_t>(ReplyHex(body, 5, 4));
        const std::string& content = files[openName_];
        const std::size_t count =
            std::min<std::size_t>({wanted, maxReadBytes, content.size() - readPosition_});
        const std::string bytes = content.substr(readPosition_, count);
        readPosition_ += count;
        return blockCount(static_cast<std::uint32_t>(count)) + HexOf(bytes);
    }
    if (command == "f10") {
        if (refuseCreate) return NakBody(4);
        openName_ = quoted();
        files[openName_].clear();
        return "02";
    }
    if (command == "f09") {
        const std::uint32_t offered = static_cast<std::uint32_t>(ReplyHex(body, 5, 4));
        const std::uint32_t accepted = std::min(offered, maxWriteBytes);
        for (std::uint32_t i = 0; i < accepted; ++i) {
            files[openName_] += static_cast<char>(ReplyHex(body, 9 + 2 * i, 2));
        }
        return blockCount(accepted);
    }
    if (command == "f11") {
        const std::string name = quoted();
        if (refuseDelete.count(name) != 0) return NakBody(5);
        files.erase(name);
        return AckBody();
    }
    return NakBody(3);
}

std::vector<std::string> RecordingTarget::StatusTexts() const {
    std::vector<std::string> texts;
    for (const Notification& n : received) {
        if (n.kind == NotificationKind::WM_LINK_STATUS && n.text) texts.push_back(*n.text);
    }
    return texts;
}

EngineFixture::EngineFixture()
    : engine(LinkServices{queue, clock, prompt, log},
             [this](const PortRequest& request,
                    PortOpenFailure& failure) -> std::unique_ptr<ISerialPort> {
                 if (failOpen) {
                     failure.error = PortOpenError::NotFound;
                     return nullptr;
                 }
                 auto fake = std::make_unique<FakePort>(*request.queue, request.owner, clock);
                 fake->responder = [this](FakePort& p, const std::string& frame) {
                     if (responder) responder(p, frame);
                 };
                 port = fake.get();
                 return fake;
             }) {}

void EngineFixture::OpenFakeLink() {
    engine.OpenLink("ttyFAKE1", 9600);
    engine.SetTarget(&target);
}

}  // namespace vantrel::test
