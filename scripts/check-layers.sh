#!/usr/bin/env bash
# Includes run one way: gui -> core/sound -> platform. A lower folder that
# includes a higher one, or Qt Widgets outside gui/, is reported; exit 1.
set -uo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/utf8.sh"
cd "$(dirname "$0")/../src" || exit 1
bad=0
report() { echo "$1"; bad=1; }
while IFS= read -r line; do
    file=${line%%:*}
    inc=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$line")
    case "${file%%/*}:$inc" in
        platform:core | platform:sound | platform:gui | core:gui | sound:gui) report "$line" ;;
    esac
done < <(grep -HE '^#include "(core|sound|platform|gui)/' core/* sound/* platform/* 2>/dev/null)
while IFS= read -r line; do report "widgets outside gui/: $line"; done < <(
    grep -HE '^#include <(QtWidgets/|QWidget|QDialog|QLabel|QMessageBox|QApplication|QSystemTrayIcon|QAbstractButton|QComboBox|QLineEdit|QPushButton)' \
        core/* sound/* platform/* 2>/dev/null)
[ $bad -eq 0 ] && echo "layers: every include runs downward"
exit $bad
