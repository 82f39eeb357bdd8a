# shellcheck shell=bash disable=SC2034 # the lists are read by the scripts that source this
# Debian 12 packages, sourced by the other scripts. Never pipewire-alsa: it
# would route every ALSA client of the machine to PipeWire.
BUILD_PACKAGES="build-essential cmake pkg-config qt6-base-dev libgstreamer1.0-dev
  libgstreamer-plugins-base1.0-dev libasound2-dev libglib2.0-dev libsystemd-dev libpulse-dev
  libxcb1-dev libxcb-xfixes0-dev libicu-dev"
RUN_PACKAGES="gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  timgm6mb-soundfont libasound2-plugins qt6-qpa-plugins libqt6network6 qt6-translations-l10n"
TEST_PACKAGES="procps dbus-x11 pulseaudio pulseaudio-utils xvfb xauth trayer xdotool x11-utils imagemagick
  gsettings-desktop-schemas dbus xfconf libxfconf-0-3 desktop-file-utils faketime clang-format
  pipewire pipewire-pulse wireplumber dpkg-dev lintian appstream systemd-journal-remote nodejs stress-ng
  ccache"
# The fuzz targets: clang and its libFuzzer runtime.
FUZZ_PACKAGES="clang libclang-rt-dev"

# Installs whatever of the given packages is missing.
install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
