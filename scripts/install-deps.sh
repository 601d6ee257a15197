#!/usr/bin/env bash
# Installs whatever this project needs and the machine lacks, asking apt-get
# only for packages that are not installed yet. Safe to run again and again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libx11-dev libxext-dev
  libcairo2-dev libpango1.0-dev libexpat1-dev libfontconfig-dev
  fonts-liberation fonts-dejavu-core
  musescore-general-soundfont-small
  # The MIDI synthesiser is opened at run time; the game runs without it.
  libfluidsynth3
  xvfb xauth xdotool imagemagick x11-utils bc python3
  # The platform's message boxes draw with the X server's core fonts.
  xfonts-base
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev ccache
  libcurl4-openssl-dev libssl-dev locales desktop-file-utils appstream
  libjpeg62-turbo-dev
  # Building and checking the Debian package (`make deb`, and the package
  # test in `make test`).
  debhelper dpkg-dev fakeroot lintian
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# The file tests run the writers and readers under a locale whose decimal
# separator is a comma; Debian generates no locale by default.
ensure_comma_locale() {
  if locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; then return 0; fi
  if command -v localedef >/dev/null && [ -e /usr/share/i18n/locales/de_DE ]; then
    echo "Generating the de_DE.UTF-8 locale"
    "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
  fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

ensure_comma_locale
