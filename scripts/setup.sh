#!/bin/bash
# Brings a Debian 12 machine to where the project builds and its tests run:
# installs the missing packages, then creates the project's own Wine prefix once.
# Cheap when everything is already there, so every other script calls it first.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  cmake ninja-build g++ make googletest
  g++-mingw-w64-i686
  wine wine32:i386
  # where the kernel runs no 32-bit programs, the tests run a 64-bit build (wine-env.sh)
  g++-mingw-w64-x86-64 wine64
  # libwine only recommends these X libraries (loaded at run time) and Wine's own
  # system fonts (marlett, ms_sans_serif...): named here so that a fresh machine runs
  # the same Wine as one that took the recommends, without their hundreds of megabytes.
  libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxfixes3:i386
  libxcomposite1:i386 libxinerama1:i386 libxxf86vm1:i386 fonts-wine
  libxrender1:amd64 libxrandr2:amd64 libxi6:amd64 libxcursor1:amd64 libxfixes3:amd64
  libxcomposite1:amd64 libxinerama1:amd64 libxxf86vm1:amd64
  xvfb xauth x11-utils xdotool imagemagick unzip
  # the end-to-end tests of the viewer under window managers run their own
  openbox xfwm4 icewm
  # writes the orientation tag and the Exif facts into the test pictures
  libimage-exiftool-perl
  # reads the X clipboard that Wine offers the copied picture on
  xclip
  libx11-dev libxtst-dev
  fonts-dejavu-core fonts-liberation
  # image decoding of small files (stb_image's header, compiled into every build) and the
  # skin checker's font lookup
  libstb-dev libfontconfig-dev pkg-config
  # colour management: LittleCMS natively; its source package (fetched below) unpacked by
  # dpkg-source for the Windows builds; colour profiles the tests embed in their pictures
  liblcms2-dev dpkg-dev colord-data icc-profiles-free
  # the quick reduced decode of a large JPEG's preview: libjpeg-turbo natively; its source
  # package (fetched below) for the Windows builds
  libjpeg62-turbo-dev
  # WebP pictures: libwebp natively (its encoder and muxer make the tests' files); its source
  # package (fetched below) for the Windows builds; cwebp for pictures made by hand
  libwebp-dev webp
  # AVIF pictures: our own reading of the container, the AV1 decoder dav1d's library natively
  # and its source package (fetched below) for the Windows builds, nasm for its x86 routines
  # (and libjpeg-turbo's);
  # libavif's encoder makes the tests' files (its source package can't be fetched: the
  # mirrors lack its original tarball)
  libdav1d-dev libavif-dev libavif-bin nasm
  # JPEG XL pictures: libjxl natively; its source package and those of highway and brotli
  # (fetched below) for the Windows builds; cjxl makes the tests' files
  libjxl-dev libjxl-tools
  # QOI pictures: the format's one header, which stb_image lacks
  libqoi-dev
  # HEIC pictures: libheif natively; its source package and libde265's (fetched below) for the
  # Windows builds' DLLs; heif-enc makes the tests' files
  libheif-dev libheif-examples
  python3 python3-pil
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# A mirror in the middle of a sync serves an index of the wrong size for a minute or so:
# the update is tried again, and after the last try the install goes on with the indexes
# that did come (it fails by itself if a package can't be found in them).
update_index() {
  local try
  for try in 1 2; do
    as_root apt-get update && return 0
    echo "setup: the package index update failed (try $try of 2)" >&2
    [ "$try" -lt 2 ] && sleep 15
  done
  return 0
}

# The 32-bit packages only serve a kernel that runs 32-bit programs (wine-env.sh). Where
# they can't be installed (a mirror whose i386 index is broken leaves them at versions that
# don't match the 64-bit ones) the tests run the 64-bit build instead; that is noted once
# in build/, so that later calls don't try again.
no_i386="$root/build/.i386-unavailable"
missing=() missing_i386=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != installed ]; then
    case "$p" in
      *:i386) [ -f "$no_i386" ] || missing_i386+=("$p") ;;
      *) missing+=("$p") ;;
    esac
  fi
done

install_packages() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$@" </dev/null
}
if [ $((${#missing[@]} + ${#missing_i386[@]})) -gt 0 ]; then
  echo "setup: installing ${missing[*]} ${missing_i386[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  update_index
  [ ${#missing[@]} -eq 0 ] || install_packages "${missing[@]}"
  if [ ${#missing_i386[@]} -gt 0 ] && ! install_packages "${missing_i386[@]}"; then
    echo "setup: the 32-bit packages can't be installed; the tests run the 64-bit build" >&2
    mkdir -p "$root/build" && touch "$no_i386"
  fi
fi

# The Windows builds compile LittleCMS, libjpeg-turbo and libwebp from Debian's source packages
# (CMakeLists.txt); each is fetched once into build/deps/<package>, a file of it telling that
# it is there. apt needs source lines for that: where the machine has none, the binary lines
# of Debian's own list are copied as source lines.
fetch_source() {
  local package="$1" marker="$2" into="$root/build/deps/$1"
  [ -f "$into/$marker" ] && return 0
  mkdir -p "$root/build/deps"
  exec 8>"$root/build/deps/.lock"
  flock 8
  if [ ! -f "$into/$marker" ]; then
    if ! apt-get source --print-uris "$package" >/dev/null 2>&1; then
      list=/etc/apt/sources.list.d/zylora-deb-src.sources
      if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$list" >/dev/null
      else
        printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\n' \
          | as_root tee "$list" >/dev/null
      fi
      update_index
    fi
    work="$(mktemp -d "$root/build/deps/$package.XXXXXX")"
    # A security update's source may be missing from the mirror: then the release's own.
    (cd "$work" && { apt-get source "$package" || apt-get source "$package/bookworm"; } </dev/null)
    rm -rf "$into"
    mv "$work/$package"-*/ "$into"
    rm -rf "$work"
  fi
  flock -u 8
}
fetch_source lcms2 include/lcms2.h
fetch_source libjpeg-turbo jpeglib.h
fetch_source libwebp src/webp/decode.h
fetch_source dav1d include/dav1d/dav1d.h
fetch_source libheif libheif/heif.h
fetch_source libde265 libde265/de265.h
fetch_source jpeg-xl lib/include/jxl/decode.h
fetch_source highway hwy/highway.h
fetch_source brotli c/include/brotli/decode.h

# Now that Wine is there: which build the tests run, and in which prefix (wine-env.sh).
source "$root/scripts/wine-env.sh"
prefix="$WINEPREFIX"
stamp="$prefix/.zylora-ready-2"
[ -f "$stamp" ] && exit 0

mkdir -p "$root/build"
# Two scripts started at once must not both build the prefix.
exec 9>"$prefix.lock"
flock 9
[ -f "$stamp" ] && exit 0

echo "setup: creating the Wine prefix in $prefix"
rm -rf "$prefix"
# wineboot needs no display; without one it just cannot show its progress window.
env -u DISPLAY "$ZYLORA_WINE" wineboot -i </dev/null
wineserver -w

# Text is drawn with fonts that are the same on every machine.
key='HKCU\Software\Wine\Fonts\Replacements'
for face in "Lucida Sans Unicode" "Tahoma" "Segoe UI" "Arial" "Verdana"; do
  env -u DISPLAY "$ZYLORA_WINE" reg add "$key" /v "$face" /t REG_SZ /d "DejaVu Sans" /f >/dev/null </dev/null
done
# A crash ends the process with a backtrace on stderr instead of waiting on a dialog.
env -u DISPLAY "$ZYLORA_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null </dev/null
wineserver -w

touch "$stamp"
echo "setup: Wine prefix ready"
