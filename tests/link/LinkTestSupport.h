// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test doubles for the link: a fake port whose "logger" is a function of the request frame,
// a scripted logger file system, a recorder of link notifications, and a fixture wiring an
// engine to them on a fake clock.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/LinkEngine.h"
#include "platform/FakeClock.h"
#include "platform/NotificationQueue.h"
#include "platform/RecordingPrompt.h"

namespace vantrel::test {

// A slave frame for `id` with `body` after the separator, LRC and NUL included.
std::string SlaveFrame(std::uint16_t id, std::string_view body);
// The same without the NUL (what CurrentReply holds).
std::string SlaveReply(std::uint16_t id, std::string_view body);
// Any text with its upper-case LRC appended.
std::string WithLrc(std::string text);
std::string AckBody();
std::string NakBody(int code);
// CPU time (user + system) the process has used so far, in seconds.
double CpuSeconds();

// Hexadecimal text of raw bytes, two upper-case digits a byte.
std::string HexOf(std::string_view bytes);

// A parsed request frame "@m" id ";" body LRC.
struct Request {
    std::uint16_t id = 0;
    std::string body;
};
std::optional<Request> ParseRequest(std::string_view frame);

class FakePort final : public ISerialPort {
public:
    using Responder = std::function<void(FakePort& port, const std::string& frame)>;

    FakePort(INotificationQueue& queue, INotificationTarget* owner, FakeClock& clock)
        : queue_(queue), owner_(owner), clock_(clock) {}

    void SendText(std::string_view text) override;
    bool IsOpen() const override { return true; }

    // Posts `bytes` now, one WM_SERIAL_RXCHAR each.
    void Deliver(std::string_view bytes);
    // Posts `bytes` once fake time has moved `delay` on.
    void DeliverLater(std::chrono::milliseconds delay, std::string bytes);
    // Runs `work` on the pumping thread, in order with the bytes.
    void PostCall(std::function<void()> work);

    Responder responder;
    std::vector<std::string> sent;  // every frame, without the NUL

private:
    INotificationQueue& queue_;
    INotificationTarget* owner_;
    FakeClock& clock_;
};

// A small logger file system answering the file requests, with switches for misbehaviour.
class ScriptedLogger {
public:
    std::map<std::string, std::string> files;  // name -> raw bytes, listed in name order
    std::uint32_t maxReadBytes = 128;          // the most a Read File Block returns
    std::uint32_t maxWriteBytes = 128;         // the most a Write File Block accepts
    std::optional<long> forcedBlockCount;      // answer every block with this count
    std::optional<unsigned> reportedCount;     // Get File Count answer other than the truth
    std::set<std::string> refuseDelete;        // Delete File answered with NAK 05
    bool refuseCreate = false;
    bool refuseClose = false;
    std::vector<std::string> bodies;  // every request body in order

    void Answer(FakePort& port, const std::string& frame);
    // The whole reply frame, NUL included, for a parsed request.
    std::string AnswerText(const Request& request);

private:
    std::string Respond(const std::string& body);
    std::map<std::string, std::string>::iterator listing_;
    std::string openName_;
    std::size_t readPosition_ = 0;
};

// Records every link notification delivered to it.
class RecordingTarget final : public INotificationTarget {
public:
    void OnNotification(const Notification& notification) override {
        received.push_back(notification);
    }
    // The texts of the WM_LINK_STATUS notifications that carried one.
    std::vector<std::string> StatusTexts() const;
    std::vector<Notification> received;
};

struct EngineFixture {
    EngineFixture();
    // OpenLink to the fake port and set the target, as an operation does.
    void OpenFakeLink();
    // Delivers what is still queued (status posts made after the last wait).
    void Drain() { queue.DrainPending(); }

    FakeClock clock;
    NotificationQueue queue{clock};
    RecordingPrompt prompt;
    RecordingDiagnosticLog log;
    RecordingTarget target;
    FakePort* port = nullptr;  // owned by the engine after OpenLink
    FakePort::Responder responder;
    bool failOpen = false;
    CLinkEngine engine;
};

}  // namespace vantrel::test
