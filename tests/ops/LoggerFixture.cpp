// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/LoggerFixture.h"

#include <algorithm>
#include <stdexcept>

#include "ops/TestArchives.h"
#include "sim/HexText.h"
#include "sim/InProcessLoggerPort.h"

namespace vantrel::test {

void TimerRecordingQueue::SetTimer(INotificationTarget* target, std::uint32_t timerId,
                                   std::chrono::milliseconds period) {
    if (target == link && timerId == CLinkEngine::kRateTimerId) {
        rateTimerCalls.push_back({true, timerId, period});
    }
    queue_.SetTimer(target, timerId, period);
}

void TimerRecordingQueue::KillTimer(INotificationTarget* target, std::uint32_t timerId) {
    if (target == link && timerId == CLinkEngine::kRateTimerId) {
        rateTimerCalls.push_back({false, timerId, {}});
    }
    queue_.KillTimer(target, timerId);
}

void RecordingPage::OnNotification(const Notification& notification) {
    received.push_back(notification);
    if (onNotification) onNotification(notification);
}

std::vector<std::string> RecordingPage::StatusTexts() const {
    std::vector<std::string> texts;
    for (const Notification& n : received) {
        if (n.kind == NotificationKind::WM_LINK_STATUS && n.text) texts.push_back(*n.text);
    }
    return texts;
}

std::string RecordingPage::LastStatus() const {
    const auto texts = StatusTexts();
    return texts.empty() ? std::string() : texts.back();
}

bool RecordingPage::SawStatus(const std::string& text) const {
    const auto texts = StatusTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::size_t RecordingPage::RateCount() const {
    return static_cast<std::size_t>(std::count_if(
        received.begin(), received.end(),
        [](const Notification& n) { return n.kind == NotificationKind::WM_LINK_RATE; }));
}

namespace {
sim::LoggerFileSystem FileSystemOf(const LoggerImage& image) {
    sim::LoggerFileSystem files;
    for (const auto& [name, bytes] : image) files.Put(name, bytes, sim::CivilTime{});
    return files;
}
}  // namespace

LoggerFixture::LoggerFixture(const LoggerImage& image, sim::FaultOptions faults)
    : logger(FileSystemOf(image), faults, [] { return sim::CivilTime{}; }),
      link(LinkServices{queue, clock, prompt, log}, sim::InProcessPortFactory(logger)),
      ops(link, prompt, LinkSettings{"sim0", 9600}) {
    queue.link = &link;
    // A fixed backup date, so a stored backup can be compared byte for byte.
    ops.SetLocalTimeSource([] { return FromCivil(CivilTime{2026, 12, 6, 9, 15, 0}); });
    ops.SetCompletionSignal([this] { ++completionSignals; });
}

LoggerImage LoggerFixture::Files() const {
    LoggerImage files;
    for (const auto& [name, file] : logger.files().files()) files[name] = file.bytes;
    return files;
}

bool LoggerFixture::RateTimerRanFor(std::chrono::milliseconds period) const {
    const auto& calls = queue.rateTimerCalls;
    return calls.size() == 2 && calls[0].set && calls[0].period == period && !calls[1].set;
}

std::string Hex(std::string_view bytes) {
    return sim::BytesToHex(bytes);
}

std::string Bytes(std::string_view hex) {
    const auto bytes = sim::HexToBytes(hex);
    if (!bytes) throw std::invalid_argument("not hexadecimal text");
    return *bytes;
}

HexListing ListingOf(const LoggerImage& image) {
    HexListing listing;
    for (const auto& [name, bytes] : image) {
        listing.names.push_back(name);
        listing.contents.push_back(Hex(bytes));
    }
    return listing;
}

LoggerImage FullImage() {
    const CVantrelArchive soils = MakeArchive({});
    TestProfile complete;
    complete.key = "01";
    complete.readings = HourlyReadings(0, 6);
    TestProfile configOnly;
    configOnly.key = "02";
    TestProfile orphan;
    orphan.key = "05";
    orphan.readings = HourlyReadings(10, 2);
    return {
        {"ORTVELSOIL.CFG01", Bytes(soils.m_strOrtvelSoil)},
        {"USERSOIL.CFG01", Bytes(soils.m_strUserSoil)},
        {"QUILON.CFG00", "device settings"},
        {"PRO01.CFG00", Bytes(ConfigHex(complete))},
        {"PRO01.DAT00", Bytes(DataHex(complete))},
        {"PRO02.CFG00", Bytes(ConfigHex(configOnly))},
        {"PRO05.DAT00", Bytes(DataHex(orphan))},
        {"PRODUCTS.GR", "product list"},
        {"ZZEMPTY.TXT", ""},
    };
}

}  // namespace vantrel::test
