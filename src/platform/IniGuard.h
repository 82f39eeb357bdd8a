#pragma once

#include <QByteArray>
#include <QByteArrayView>

// QSettings hands an INI value that reads "@Variant(…)" or "@DateTime(…)" to
// QDataStream, which takes the sizes written inside on trust: a damaged or
// foreign file can make it ask for gigabytes, and a failed allocation ends
// the program. The program itself never writes such values. These look at a
// file's bytes before QSettings does.
namespace iniguard {

// True when some value could reach QDataStream. Erring on the safe side: a
// "Variant(" or "DateTime(" anywhere in the text as QSettings unescapes it,
// line ends taken out.
bool streamsValues(QByteArrayView ini);

// The lines that are safe on their own and end where they seem to (no open
// quote, no continuation): the rest of a file that streamsValues() refused.
// Empty when even those, taken together, are not safe.
QByteArray safeLines(QByteArrayView ini);

} // namespace iniguard
