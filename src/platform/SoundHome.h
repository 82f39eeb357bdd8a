#pragma once

#include <QString>
#include <QStringList>

// Where the sound folders (Melodiler, Anonslar, Marşlar, Müzik) live. In a
// program folder the user can write (an installation in the home folder)
// they stay next to the program. Installed for the whole system, the
// program folder is read-only but schools add melodies and songs: then they
// live in the user's data folder, made at the first start and filled with
// the defaults. Each default is offered once: a sound the school deleted is
// not brought back, and a school's own files are never overwritten.
namespace soundhome {

inline const QStringList kFolders{QStringLiteral("Melodiler"), QStringLiteral("Anonslar"),
                                  QStringLiteral("Marşlar"), QStringLiteral("Müzik")};

// The default sounds of a program in `programFolder`: next to it (a build
// or a home installation), or in ../share/velmar-dorl (the package).
QString defaultsFor(const QString& programFolder);

// The folder that holds the sound folders; `userData` is the user's data
// folder ($XDG_DATA_HOME/VelmarDorl).
QString choose(const QString& programFolder, bool programFolderWritable, const QString& defaults,
               const QString& userData);

} // namespace soundhome
