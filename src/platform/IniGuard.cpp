#include "platform/IniGuard.h"

#include <QList>

namespace iniguard {

namespace {
bool isOctal(char c) {
    return c >= '0' && c <= '7';
}
} // namespace

bool streamsValues(QByteArrayView ini) {
    // What a value can become once QSettings has unescaped it: quotes go,
    // an escape stands for itself or for nothing that makes a letter, and a
    // backslash at a line's end joins the next line.
    QByteArray squeezed;
    squeezed.reserve(ini.size());
    for (qsizetype i = 0; i < ini.size(); ++i) {
        const char c = ini[i];
        if (c == '\\') {
            if (i + 1 < ini.size() && (ini[i + 1] == 'x' || isOctal(ini[i + 1])))
                return true;
            ++i;
            continue;
        }
        if (c != '"' && c != '\n' && c != '\r')
            squeezed.append(c);
    }
    return squeezed.contains("Variant(") || squeezed.contains("DateTime(");
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
