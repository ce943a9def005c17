// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FloatText.h"

#include <bit>
#include <cstdint>
#include <cstdio>

namespace vantrel {
namespace {

constexpr std::uint64_t kScale = 1000000;  // six decimals
// Beyond this binary exponent value * 10^6 no longer fits 64 bits; such values (above
// about 1.7e13) take the C library's path.
constexpr int kMaxFastExponent = 20;

void AppendWithPrintf(std::string& out, float value) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    if (n > 0 && static_cast<std::size_t>(n) < sizeof buffer) {
        out.append(buffer, static_cast<std::size_t>(n));
    } else {
        // Up to 39 integer digits fit the buffer; this is only a guard.
        std::string big(static_cast<std::size_t>(n) + 1, '\0');
        std::snprintf(big.data(), big.size(), "%f", static_cast<double>(value));
        big.resize(static_cast<std::size_t>(n));
        out += big;
    }
}

// value * 10^6 rounded to the nearest integer, ties to even, from mantissa * 2^exponent.
std::uint64_t ScaledMicros(std::uint64_t mantissa, int exponent) {
    if (exponent >= 0) return (mantissa << exponent) * kScale;
    const int shift = -exponent;
    const std::uint64_t product = mantissa * kScale;  // below 2^44
    if (shift >= 64) return 0;                        // far below half a millionth
    const std::uint64_t quotient = product >> shift;
    const std::uint64_t remainder = product & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
    return quotient;
}

}  // namespace

void AppendFixed6(std::string& out, float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const bool negative = (bits >> 31) != 0;
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    std::uint64_t mantissa = bits & 0x7FFFFF;
    int exponent = 0;
    if (biased == 0xFF) {  // inf, nan
        AppendWithPrintf(out, value);
        return;
    }
    if (biased == 0) {
        exponent = -149;  // subnormal or zero
    } else {
        mantissa |= 0x800000;
        exponent = biased - 150;
    }
    if (exponent > kMaxFastExponent) {
        AppendWithPrintf(out, value);
        return;
    }
    const std::uint64_t micros = ScaledMicros(mantissa, exponent);
    std::uint64_t whole = micros / kScale;
    std::uint32_t fraction = static_cast<std::uint32_t>(micros % kScale);

    char buffer[32];
    char* end = buffer + sizeof buffer;
    char* p = end;
    for (int k = 0; k < 6; ++k) {
        *--p = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    *--p = '.';
    do {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (negative) *--p = '-';
    out.append(p, static_cast<std::size_t>(end - p));
}

std::string FormatFixed6(float value) {
    std::string text;
    AppendFixed6(text, value);
    return text;
}

}  // namespace vantrel
