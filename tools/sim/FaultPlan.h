// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Deterministic fault injection. Each switch "every N" fires with probability 1/N per
// reply, drawn from one std::mt19937_64 seeded with `seed` (its output sequence is fixed
// by the C++ standard, so a seed gives the same faults on every platform for the same
// request stream). At most one fault applies to a reply; when several fire, the first of
// drop, bad LRC, stale id, NAK, hold-off wins.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>

namespace vantrel::sim {

struct FaultOptions {
    std::uint32_t holdOffEvery = 0;  // 0: never
    std::chrono::milliseconds holdOffDelay{1500};
    std::uint32_t nakEvery = 0;
    std::uint32_t badLrcEvery = 0;
    std::uint32_t dropEvery = 0;
    std::uint32_t staleIdEvery = 0;
    bool shortBlocks = false;
    // By default the master's retry of a faulted request (the identical frame again) is
    // answered cleanly, so every fault is recoverable within the master's 3 attempts.
    // With this set, retries roll for faults like any request (a logger that keeps failing).
    bool faultRetries = false;
    // A line that goes dead: after this many requests answered, nothing more is answered
    // (0: never).
    std::uint32_t silentAfter = 0;
    // A listing that never ends: past the last file, Get Next File Info lists made-up
    // empty files ("NOEND00001.TMP", ...) instead of answering that no file follows.
    bool endlessListing = false;
    std::uint64_t seed = 1;
};

enum class Fault { None, Drop, BadLrc, StaleId, Nak, HoldOff };

const char* FaultName(Fault fault);

class FaultPlan {
public:
    explicit FaultPlan(const FaultOptions& options);

    const FaultOptions& options() const { return options_; }

    // The fault for the next reply.
    Fault Next();

    // The block size to use when `asked` bytes are asked for (read) or offered (write):
    // `asked` unless short blocks are on, then 1 to asked - 1 (1 when asked is 1).
    std::size_t BlockSize(std::size_t asked);

private:
    bool Fires(std::uint32_t every);

    FaultOptions options_;
    std::mt19937_64 random_;
};

}  // namespace vantrel::sim
