// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Running a built program and collecting what it printed.

#include <string>
#include <vector>

namespace vantrel::test {

struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args` (no shell), waits for it and returns its exit code and output.
ToolResult RunTool(const std::string& program, const std::vector<std::string>& args);

}  // namespace vantrel::test
