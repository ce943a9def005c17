// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A value the user gave that does not fit (a profile list, a setting): the command-line tool
// reports it as a usage error, the desktop program as a message box.

#include <stdexcept>

namespace vantrel {

class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vantrel
