# shellcheck shell=bash
# Sourced by every script of the project: what they run reads and writes the
# Turkish names (Marşlar, Müzik, "Programı Kaldır") as UTF-8 whatever the
# caller's locale, or with none set at all (a container, cron, env -i): cpack
# and xdotool, for two, go by it. C.UTF-8 is always there on Debian.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then
    export LC_ALL=C.UTF-8
    unset LANGUAGE
fi
