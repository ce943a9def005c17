// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/SettingsText.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <vector>

namespace vantrel {
namespace {

enum class LineKind { Blank, Section, Comment, TrailingComment, Setting, Other };

struct Line {
    LineKind kind;
    std::string text;  // without the blanks around it
};

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A value line as QSettings writes one: quotes closed, no ";" outside them (where its
// reader ends the value), no "\" at the end (which continues it on the next line).
LineKind KindOfSettingLine(std::string_view text) {
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) return LineKind::TrailingComment;
    }
    if (quoted || text.ends_with('\\')) return LineKind::Other;
    return LineKind::Setting;
}

LineKind KindOf(std::string_view text) {
    if (text.empty()) return LineKind::Blank;
    if (text.front() == '[') return LineKind::Section;
    if (text.front() == ';' || text.front() == '#') return LineKind::Comment;
    if (text.find('=') != std::string_view::npos) return KindOfSettingLine(text);
    return LineKind::Other;
}

std::vector<Line> LinesOf(const QByteArray& bytes) {
    std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // QSettings skips a BOM
    std::vector<Line> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        // A lone CR also ends a line for QSettings: such a line is not one of its own.
        const LineKind kind =
            line.find('\r') == std::string_view::npos ? KindOf(line) : LineKind::Other;
        lines.push_back({kind, std::string(line)});
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// The line as the user may be shown it: at most 40 bytes, control characters as "?".
std::string Shown(const std::string& text) {
    std::size_t cut = std::min<std::size_t>(text.size(), 40);
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    std::string shown = text.substr(0, cut);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return "\"" + shown + (cut < text.size() ? "...\"" : "\"");
}

std::string LineNamed(std::size_t index, const Line& line) {
    return "line " + std::to_string(index + 1) + " (" + Shown(line.text) + ")";
}

// The first line QSettings could not read, for a text it reported so.
std::string Unreadable(const std::vector<Line>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if ((line.kind == LineKind::Other && line.text.find('=') == std::string::npos) ||
            (line.kind == LineKind::Section && line.text.find(']') == std::string::npos)) {
            return LineNamed(i, line) + " is not a setting";
        }
    }
    return "it holds text that is not a setting";
}

// A section named again (a save merges it into the first) or a value set again in its
// section (a save keeps the last), as the user spelled them.
std::string Repeated(const std::vector<Line>& lines) {
    std::set<std::string> sections;
    std::map<std::pair<std::string, std::string>, std::size_t> values;
    std::string section;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::Section) {
            section = line.text;
            if (!sections.insert(section).second) {
                return LineNamed(i, line) + " names a section again, which a save would merge";
            }
        } else if (line.kind == LineKind::Setting) {
            const std::string name(
                Trimmed(std::string_view(line.text).substr(0, line.text.find('='))));
            const auto [earlier, first] = values.try_emplace({section, name}, i);
            if (!first) {
                return LineNamed(earlier->second, lines[earlier->second]) +
                       " is set again on line " + std::to_string(i + 1) +
                       ", and a save would drop it";
            }
        }
    }
    return {};
}

bool SameLine(const Line& file, const Line& written) {
    return file.kind == written.kind &&
           (file.kind != LineKind::Section || file.text == written.text);
}

std::string Lost(std::size_t index, const Line& line) {
    switch (line.kind) {
        case LineKind::Blank:
            return "line " + std::to_string(index + 1) + " is blank, and a save would drop it";
        case LineKind::Comment:
            return LineNamed(index, line) + " is a comment, which a save would drop";
        case LineKind::TrailingComment:
            return LineNamed(index, line) + " ends in a comment, which a save would drop";
        default:
            return "a save would not keep " + LineNamed(index, line) + " as it is";
    }
}

// The first line of the file that QSettings would not write back (see the header). A file
// of blank lines only holds nothing to lose.
std::string LostLine(const std::vector<Line>& file, const std::vector<Line>& written) {
    if (std::all_of(file.begin(), file.end(),
                    [](const Line& line) { return line.kind == LineKind::Blank; })) {
        return {};
    }
    std::size_t next = 0;
    for (std::size_t i = 0; i < file.size(); ++i) {
        // Lines QSettings adds of its own lose nothing.
        while (next < written.size() && !SameLine(file[i], written[next]) &&
               (written[next].kind == LineKind::Blank ||
                (next == 0 && written[next].text == "[General]"))) {
            ++next;
        }
        if (next == written.size() || !SameLine(file[i], written[next])) return Lost(i, file[i]);
        ++next;
    }
    return {};
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QVariantMap ValuesOf(const QSettings& store) {
    QVariantMap values;
    for (const QString& key : store.allKeys()) values.insert(key, store.value(key));
    return values;
}

}  // namespace

SettingsRewrite RewriteSettingsText(const QByteArray& text, const QVariantMap& changes) {
    SettingsRewrite result;
    result.text = text;
    // A folder of its own: QSettings shares what it read of a file among all its objects
    // in the process by the file's name, and may not see a change of the same size.
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    QFile copy(path);
    if (!folder.isValid() || !copy.open(QIODevice::WriteOnly) || copy.write(text) != text.size() ||
        !copy.flush()) {
        result.error =
            "a copy could not be made in the temporary folder (" +
            (folder.isValid() ? copy.errorString() : folder.errorString()).toStdString() + ")";
        return result;
    }
    copy.close();

    QSettings store(path, QSettings::IniFormat);
    result.values = ValuesOf(store);  // reads every section, so that errors show
    const std::vector<Line> lines = LinesOf(text);
    if (store.status() == QSettings::FormatError) {
        result.lost = Unreadable(lines);
        return result;
    }
    // What QSettings writes back unchanged (setting a value to itself makes it write; with
    // no values it writes nothing).
    QByteArray writtenBack;
    if (!result.values.isEmpty()) {
        store.setValue(result.values.firstKey(), result.values.first());
        store.sync();
        writtenBack = ReadAll(path);
    }
    if (store.status() != QSettings::NoError) {
        result.error = "it could not be written in the temporary folder";
        return result;
    }
    result.lost = Repeated(lines);
    if (result.lost.empty()) result.lost = LostLine(lines, LinesOf(writtenBack));
    if (!result.lost.empty() || changes.isEmpty()) return result;

    for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
        if (change.value().isValid()) {
            store.setValue(change.key(), change.value());
        } else {
            store.remove(change.key());
        }
    }
    store.sync();
    if (store.status() != QSettings::NoError) {
        result.error = "it could not be written in the temporary folder";
        return result;
    }
    result.values = ValuesOf(store);
    result.text = ReadAll(path);
    return result;
}

}  // namespace vantrel
