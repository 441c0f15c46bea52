# Shared by scripts/run and scripts/test.

TW_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Packages needed to build and run the program.
TW_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config zlib1g-dev
  qtbase5-dev qtbase5-private-dev qttools5-dev qttools5-dev-tools
  libqt5webkit5-dev famfamfam-flag-png qttranslations5-l10n)

# Further packages the tests use (local HTTPS and SMTP servers, OpenSSL's
# headers for the tests' exit, the mail parser, a display for screenshots; for
# the acceptance run a window manager, window tools, screenshots of the
# display and a font with Cyrillic).
TW_TEST_PACKAGES=(python3 openssl libssl-dev xvfb xauth openbox wmctrl xdotool x11-utils imagemagick fonts-dejavu-core)

tw_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs whichever of the given Debian packages are missing.
tw_ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    tw_as_root apt-get update
    tw_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

tw_jobs() {
  nproc 2>/dev/null || echo 2
}
