// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A test hook for writers that race each other from separate processes (two backups taking
// one name, two saves of one settings file). Where the environment variable
// VANTREL_TEST_RACE_FOLDER names a folder, a writer leaves a mark there each time it comes to
// a step that races ("<step>.<token of this process>.<count>"), and at a meeting point it
// waits until another process has left one of the marks it waits for. A test so meets its
// race every time instead of by the luck of timing, and can count from the marks which
// steps were reached how often. Without the variable (every real run) these do nothing.
// Any thread may call them.

#include <initializer_list>
#include <string_view>

namespace vantrel::race_marks {

// Leaves the mark of `step`.
void Mark(std::string_view step);

// Leaves the mark of `step`, then waits until a mark of another process is there for one
// of `awaited` (at most a minute, so that a test whose other writer never comes ends).
void MeetAt(std::string_view step, std::initializer_list<std::string_view> awaited);

}  // namespace vantrel::race_marks
