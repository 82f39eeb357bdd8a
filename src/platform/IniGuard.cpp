#include "platform/IniGuard.h"

#include <QList>

#include <algorithm>
#include <iterator>

namespace iniguard {

namespace {
int digitOf(char c, int base) {
    const int value = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : base;
    return value < base ? value : -1;
}
} // namespace

bool streamsValues(QByteArrayView ini) {
    // The text as QSettings unescapes it: quotes go, a backslash at a line's
    // end joins the next line, a named escape stands for its character, an
    // unknown one for nothing, and \x.. or octal digits for the character
    // they give (QSettings writes control characters, and a digit after one,
    // that way). Line ends are taken out too: words are looked for across
    // lines, erring on the safe side.
    static const char named[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                    {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                    {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    QByteArray text;
    text.reserve(ini.size());
    for (qsizetype i = 0; i < ini.size(); ++i) {
        const char c = ini[i];
        if (c == '\\' && i + 1 < ini.size()) {
            const char next = ini[++i];
            const auto* code = std::find_if(std::begin(named), std::end(named),
                                            [next](const char* n) { return n[0] == next; });
            if (code != std::end(named)) {
                text.append((*code)[1]);
                continue;
            }
            const bool hex = next == 'x';
            if (!hex && digitOf(next, 8) < 0)
                continue; // a line's end, or a character QSettings skips
            qsizetype at = hex ? i + 1 : i;
            char16_t value = 0; // as QSettings keeps it: wrapped at 16 bits
            for (int d; at < ini.size() && (d = digitOf(ini[at], hex ? 16 : 8)) >= 0; ++at)
                value = char16_t(value * (hex ? 16 : 8) + d);
            if (at > (hex ? i + 1 : i))
                text.append(value < 0x80 ? char(value) : '\x80');
            i = at - 1;
            continue;
        }
        if (c != '"' && c != '\n' && c != '\r')
            text.append(c);
    }
    return text.contains("Variant(") || text.contains("DateTime(");
}

QByteArray safeLines(QByteArrayView ini) {
    QByteArray kept;
    const QList<QByteArray> lines = QByteArray(ini.data(), ini.size()).split('\n');
    bool joined = false; // the previous line went on into this one
    for (const QByteArray& line : lines) {
        const bool continues = line.endsWith('\\') || line.endsWith("\\\r");
        const bool wasJoined = joined;
        joined = continues;
        if (wasJoined || continues || line.count('"') % 2 != 0 || streamsValues(line))
            continue;
        kept.append(line).append('\n');
    }
    return streamsValues(kept) ? QByteArray() : kept;
}

} // namespace iniguard
