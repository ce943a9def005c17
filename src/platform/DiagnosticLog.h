// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Diagnostic lines (the transport's retries, malformed replies, hold-offs, cancels, port
// errors). The CLI prints them to stderr with --verbose; the GUI sends them to qDebug.

#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class IDiagnosticLog {
public:
    virtual ~IDiagnosticLog() = default;
    // One line, without its line feed. May be called from any thread.
    virtual void Line(std::string_view line) = 0;
};

class NullDiagnosticLog final : public IDiagnosticLog {
public:
    void Line(std::string_view) override {}
};

// Writes each line and a line feed to a stream, one line at a time.
class StreamDiagnosticLog final : public IDiagnosticLog {
public:
    explicit StreamDiagnosticLog(std::ostream& out) : out_(out) {}
    void Line(std::string_view line) override;

private:
    std::mutex mutex_;
    std::ostream& out_;
};

// Keeps the lines, for tests.
class RecordingDiagnosticLog final : public IDiagnosticLog {
public:
    void Line(std::string_view line) override;
    std::vector<std::string> Lines() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace vantrel
