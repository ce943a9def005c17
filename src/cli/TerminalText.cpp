#include "cli/TerminalText.h"

namespace vantrel::cli {

std::string PrintableText(std::string_view text, bool keepLineBreaks) {
    std::string printable(text);
    for (char& c : printable) {
        const auto byte = static_cast<unsigned char>(c);
        const bool control = byte < 0x20 || byte == 0x7F;
        if (control && !(keepLineBreaks && c == '\n')) c = '?';
    }
    return printable;
}

}  // namespace vantrel::cli
