#include "platform/XdgAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

QString XdgAutostart::entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/velmar-dorl.desktop");
}

QString XdgAutostart::execLine(const QString& programPath) {
    // Inside double quotes, the Desktop Entry format wants ", `, $ and \ escaped
    // with a backslash, and % doubled as a field code would be.
    QString quoted;
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    // The value itself is a string: its backslashes are escaped once more.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QStringLiteral("\" -systray");
}

QString XdgAutostart::tryExecLine(const QString& programPath) {
    // A plain string value: only the backslash and control characters are escaped.
    QString value = programPath;
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"))
        .replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return QStringLiteral("TryExec=") + value;
}

QByteArray XdgAutostart::wantedEntry(const QString& programPath) {
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Velmar Dorl\n"
                                         "Comment=Okul zili\n"
                                         "%1\n"
                                         "Exec=%2\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(tryExecLine(programPath), execLine(programPath));
    return entry.toUtf8();
}

void XdgAutostart::ensureRegistered(const QString& programPath) {
    const QString path = entryPath();
    const QByteArray wanted = wantedEntry(programPath);
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == wanted)
        return; // an equal entry is left alone
    current.close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return; // no report: tried again at the next start by hand
    file.write(wanted);
    file.commit();
}

void XdgAutostart::renewOldEntry(const QString& programPath) {
    QFile current(entryPath());
    if (!current.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> lines = current.readAll().split('\n');
    current.close();
    const auto header = std::find(lines.begin(), lines.end(), QByteArray("[Desktop Entry]"));
    if (header == lines.end())
        return; // not ours to mend
    for (auto line = header + 1; line != lines.end() && !line->startsWith('['); ++line) {
        if (line->startsWith("TryExec="))
            return;
    }
    // Entries written before TryExec: named at once under the group's header.
    lines.insert(header + 1, tryExecLine(programPath).toUtf8());
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(lines.join('\n'));
    file.commit();
}
