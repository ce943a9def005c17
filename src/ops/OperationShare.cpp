// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/OperationShare.h"

#include <algorithm>

namespace vantrel {

void COperationShare::Start(std::uint64_t totalBytes) {
    total_ = totalBytes;
    done_ = 0;
    current_ = 0;
    shown_ = 0;
}

void COperationShare::BeginFile(std::uint64_t bytes) {
    done_ += current_;
    current_ = bytes;
}

int COperationShare::Percent(std::uint32_t filePercent) {
    if (total_ == 0) return shown_;
    const std::uint64_t ofFile = current_ * std::min<std::uint32_t>(filePercent, 100) / 100;
    const auto share =
        static_cast<int>(std::min<std::uint64_t>(100 * (done_ + ofFile) / total_, 100));
    shown_ = std::max(shown_, share);
    return shown_;
}

}  // namespace vantrel
