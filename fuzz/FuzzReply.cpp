// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the link's side of the serial line. The first byte chooses how the rest is
// used:
//  - even: two bytes give the number of requests sent so far, the rest is what comes from
//    the line. It is fed byte by byte into a reply assembler and a link engine, and every
//    frame they complete goes through the reply checks, the engine's ParseReply and every
//    reader of reply data. A reply accepted for an id must carry that id, the slave's "s",
//    the separator and a right LRC; a hold-off is a well-formed data reply; a NAK carries
//    its code, text and caption.
//  - odd: the rest scripts a logger answering a link engine (fake clock, notification
//    queue, recording prompt) through a listing, the download of every listed file, an
//    upload or the deletion of every listed file. Every request the engine sends must be a
//    well-formed frame, and a download that succeeds must hold exactly the listed bytes as
//    hexadecimal text.

#include <cctype>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "base/StringPrintf.h"
#include "link/Frame.h"
#include "link/LinkEngine.h"
#include "link/ReplyAssembler.h"
#include "link/ReplyParser.h"
#include "link/Requests.h"
#include "platform/DiagnosticLog.h"
#include "platform/FakeClock.h"
#include "platform/NotificationQueue.h"
#include "platform/RecordingPrompt.h"

namespace vantrel {
namespace {

using fuzz::FuzzInput;

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsHexText(std::string_view text) {
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// ---- the line ---------------------------------------------------------------------------

void ReadEveryField(std::string_view reply) {
    if (const auto count = reply::FileCount(reply)) Require(*count >= 0 && *count <= 0xFF);
    if (const auto handle = reply::FileHandle(reply)) Require(*handle >= 0 && *handle <= 99);
    if (const auto count = reply::BlockCount(reply)) Require(*count <= 0xFFFF);
    const std::string_view data = reply::BlockData(reply);
    Require(data.empty() || (data.data() >= reply.data() &&
                             data.data() + data.size() <= reply.data() + reply.size()));
    const int code = reply::NakCode(reply);
    Require(code >= -1 && code <= 0xFF);
    if (const auto info = reply::FileInfo(reply)) {
        // The name lies between the quote at offset 7 and the last quote before the LRC.
        Require(reply.size() >= 8 + info->name.size() + 1 + 8 + 2);
        Require(reply.compare(8, info->name.size(), info->name) == 0);
    }
}

void CheckOneReply(std::string_view reply, std::uint16_t expectedId) {
    const ReplyCheck check = CheckReply(reply, expectedId);
    const bool holdOff = IsHoldOff(reply, expectedId);
    if (check.status != ReplyStatus::Malformed) {
        // Passing the checks means the frame really is a slave frame for this id.
        Require(reply.size() >= 9);
        Require(ReplyHex(reply, reply.size() - 2, 2) ==
                ComputeLrc(reply.substr(0, reply.size() - 2)));
        Require(reply[1] == 's' && reply[6] == ';');
        Require(ReplyHex(reply, 2, 4) == expectedId);
        Require(check.message.empty() == (check.status != ReplyStatus::Nak));
    } else {
        Require(!check.accepted && !check.message.empty() && check.caption.empty() && !holdOff);
    }
    switch (check.status) {
        case ReplyStatus::Ack:
            Require(check.accepted && reply[7] == kAck);
            break;
        case ReplyStatus::Data:
            Require(check.accepted && reply[7] != kAck && reply[7] != kNak);
            break;
        case ReplyStatus::EndOfList:
            Require(!check.accepted && check.errorCode == 9 && reply::NakCode(reply) == 9);
            break;
        case ReplyStatus::Nak:
            Require(!check.accepted && check.errorCode != 9);
            Require(check.errorCode == reply::NakCode(reply));
            Require(check.message == ErrorText(check.errorCode));
            Require(check.caption == "Vantrel NAK Error");
            break;
        case ReplyStatus::Malformed:
            break;
    }
    if (holdOff) Require(check.status == ReplyStatus::Data && reply[7] == kHoldOff);
}

class NullTarget final : public INotificationTarget {
public:
    void OnNotification(const Notification&) override {}
};

// The engine's own reading of a reply: the same frame as the assembler's, and ParseReply
// giving the status of the checks for the id it expects, with one message box when the
// check has a message and none otherwise.
class EngineReader {
public:
    explicit EngineReader(std::uint16_t requestsSent)
        : engine_(LinkServices{queue_, clock_, prompt_, log_},
                  [](const PortRequest&, PortOpenFailure&) { return nullptr; }) {
        for (std::uint16_t k = 0; k < requestsSent % 0x1001; ++k) engine_.NextMessageId();
    }

    void OnByte(std::uint8_t byte) { engine_.OnReceiveChar(byte, 1); }

    void CheckReply(const std::string& reply) {
        Require(engine_.CurrentReply() == reply);
        const ReplyCheck check = vantrel::CheckReply(reply, engine_.ExpectedId());
        ReplyStatus status = ReplyStatus::Data;
        prompt_.Clear();
        Require(engine_.ParseReply(true, status) == check.accepted && status == check.status);
        Require(prompt_.shown().size() == (check.message.empty() ? 0u : 1u));
        if (!prompt_.shown().empty()) {
            Require(prompt_.shown()[0].text == check.message);
            Require(prompt_.shown()[0].caption == check.caption);
        }
        prompt_.Clear();
        Require(engine_.ParseReply(false, status) == check.accepted && prompt_.shown().empty());
        Require(engine_.IsHoldOffReply() == IsHoldOff(reply, engine_.ExpectedId()));
    }

private:
    FakeClock clock_;
    NotificationQueue queue_{clock_};
    RecordingPrompt prompt_;
    NullDiagnosticLog log_;
    CLinkEngine engine_;
};

void FeedTheLine(FuzzInput& input) {
    EngineReader engine(input.U16());
    ReplyAssembler assembler;
    for (const char c : input.Rest()) {
        const auto byte = static_cast<std::uint8_t>(c);
        engine.OnByte(byte);
        const bool completed = assembler.OnByte(byte);
        Require(assembler.FrameLength() <= ReplyAssembler::kMaxFrameBytes);
        if (!completed) continue;
        Require(assembler.ReplyReady());
        const std::string& reply = assembler.CurrentReply();
        // A frame runs from its "@" to the NUL: no second "@", no NUL, at most 4093 bytes.
        Require(!reply.empty() && reply[0] == '@');
        Require(reply.find('@', 1) == std::string::npos);
        Require(reply.find('\0') == std::string::npos);
        Require(reply.size() < ReplyAssembler::kMaxFrameBytes);
        assembler.ClearReplyReady();

        const long id = ReplyHex(reply, 2, 4);
        const auto expected = static_cast<std::uint16_t>(id >= 0 ? id : 1);
        CheckOneReply(reply, expected);
        // Any other id is refused.
        Require(CheckReply(reply, static_cast<std::uint16_t>(expected + 1)).status ==
                ReplyStatus::Malformed);
        engine.CheckReply(reply);
        ReadEveryField(reply);
    }
}

// ---- a scripted logger --------------------------------------------------------------------

std::string SlaveFrame(std::string_view id, std::string_view body) {
    std::string frame = "@s" + std::string(id) + ";" + std::string(body);
    frame += StringPrintf("%02X", static_cast<unsigned>(ComputeLrc(frame)));
    return frame + '\0';
}

// Every request frame: "@m", four hex digits, ";", a body, the LRC; no "@" after the first
// byte and no NUL, either of which would cut the frame on the logger's side.
void CheckRequestFrame(std::string_view frame) {
    Require(frame.size() >= 10 && frame.substr(0, 2) == "@m" && frame[6] == ';');
    Require(ReplyHex(frame, 2, 4) >= 0);
    Require(ReplyHex(frame, frame.size() - 2, 2) == ComputeLrc(frame.substr(0, frame.size() - 2)));
    Require(frame.find('@', 1) == std::string_view::npos);
    Require(frame.find('\0') == std::string_view::npos);
}

// A port whose logger answers each request with the next reply of the script. A reply is a
// control byte and a section: 0 the section as it is, 1 the section framed for the
// request's id, 2 a hold-off before it, 3 no answer, 4 the framed answer some seconds late.
class ScriptedPort final : public ISerialPort {
public:
    ScriptedPort(FuzzInput& script, INotificationQueue& queue, INotificationTarget* owner,
                 FakeClock& clock)
        : script_(script), queue_(queue), owner_(owner), clock_(clock) {}

    void SendText(std::string_view frame) override {
        CheckRequestFrame(frame);
        const std::uint8_t control = script_.Byte();
        const std::string_view body = script_.Section();
        const std::string_view id = frame.substr(2, 4);
        switch (control % 5) {
            case 0:
                Deliver(queue_, owner_, std::string(body) + '\0');
                break;
            case 1:
                Deliver(queue_, owner_, SlaveFrame(id, body));
                break;
            case 2:
                Deliver(queue_, owner_, SlaveFrame(id, "!") + SlaveFrame(id, body));
                break;
            case 3:
                break;
            default:
                // The engine may have replaced this port by the time the answer is due.
                clock_.Schedule(std::chrono::milliseconds(250 * (control / 5)),
                                [queue = &queue_, owner = owner_, bytes = SlaveFrame(id, body)] {
                                    Deliver(*queue, owner, bytes);
                                });
                break;
        }
    }
    bool IsOpen() const override { return true; }

private:
    static void Deliver(INotificationQueue& queue, INotificationTarget* owner,
                        std::string_view bytes) {
        for (const char c : bytes) {
            queue.Post(owner, Notification::RxChar(static_cast<std::uint8_t>(c), 1));
        }
    }

    FuzzInput& script_;
    INotificationQueue& queue_;
    INotificationTarget* owner_;
    FakeClock& clock_;
};

void TalkToALogger(FuzzInput& input) {
    const std::uint8_t operation = input.Byte();
    FakeClock clock;
    NotificationQueue queue{clock};
    RecordingPrompt prompt;
    NullDiagnosticLog log;
    NullTarget target;
    CLinkEngine engine(
        LinkServices{queue, clock, prompt, log},
        [&](const PortRequest& request, PortOpenFailure&) -> std::unique_ptr<ISerialPort> {
            return std::make_unique<ScriptedPort>(input, *request.queue, request.owner, clock);
        });
    const LinkSettings settings{"ttyFUZZ0", 9600};

    if (operation % 4 == 2) {
        // Upload: a name and content as a restore sends them (hexadecimal text).
        const std::string content = fuzz::HexText(input.Section(), operation / 4 % 2);
        if (!engine.OperationPrologue(&target, settings)) return;
        engine.UploadFile("PRO01.DAT00", content);
        engine.CloseLink();
        return;
    }
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    const bool listed = engine.ListFiles(&target, settings, names, sizes);
    Require(names.size() == sizes.size());
    if (listed) Require(!names.empty());
    if (!listed) return;
    if (operation % 4 == 1) {
        // The backup's download of every listed file.
        if (!engine.OperationPrologue(&target, settings)) return;
        for (std::size_t k = 0; k < names.size(); ++k) {
            std::string content;
            if (engine.RetrieveFile(names[k], sizes[k], content)) {
                Require(content.size() == 2u * sizes[k]);
                Require(IsHexText(content));
            }
        }
        engine.CloseLink();
    } else if (operation % 4 == 3) {
        engine.DeleteFiles(&target, settings, names);
    }
    queue.DrainPending();
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantrel::fuzz::FuzzInput input(data, size);
    if (input.Byte() % 2 == 0) {
        vantrel::FeedTheLine(input);
    } else {
        vantrel::TalkToALogger(input);
    }
    return 0;
}
