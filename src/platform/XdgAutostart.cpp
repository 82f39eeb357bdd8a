#include "platform/XdgAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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

QByteArray XdgAutostart::wantedEntry(const QString& programPath) {
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Velmar Dorl\n"
                                         "Comment=Okul zili\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execLine(programPath));
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
