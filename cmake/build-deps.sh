#!/usr/bin/env bash
# Builds the Windows x64 dependencies from the distribution's source packages into
# a cache folder keyed by package version:
#   <cache>/scintilla-<ver>/   Scintilla.dll, lexilla.dll, include/ (both libraries' public headers)
#   <cache>/pcre2-<ver>/       static libpcre2-16 with JIT (include/, lib/)
# Only scintilla/ and lexilla/ are taken from the scite source package.
set -euo pipefail
cache=$1
mkdir -p "$cache"
say() { printf 'setup: %s\n' "$*"; }
cross=x86_64-w64-mingw32
jobs=$(nproc)

src_version() { apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/{print $2}' | sort -V | tail -n 1; }

# apt-get source with a fall-back to older versions when a newer one's files are not served.
fetch_source() {
  local pkg=$1 dir=$2 v
  mkdir -p "$dir"
  for v in $(apt-cache showsrc "$pkg" | awk '/^Version:/{print $2}' | sort -V -r); do
    if (cd "$dir" && apt-get source -qq --download-only "$pkg=$v" >/dev/null 2>&1); then
      echo "$v"; return 0
    fi
  done
  echo "cannot download the source package $pkg" >&2
  return 1
}

# --- Scintilla and Lexilla -------------------------------------------------
scite_ver=$(src_version scite)
[ -n "$scite_ver" ] || { echo "setup: no source package for scite (is deb-src enabled?)" >&2; exit 1; }
sci_dir="$cache/scintilla-${scite_ver}"
# License.txt marks a build without link times in the DLLs (older caches lack both).
if [ ! -f "$sci_dir/Scintilla.dll" ] || [ ! -f "$sci_dir/lexilla.dll" ] || [ ! -f "$sci_dir/doc/License.txt" ]; then
  say "building Scintilla.dll and lexilla.dll from scite $scite_ver"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  got=$(fetch_source scite "$work")
  orig=$(ls "$work"/scite_*.orig.tar.* | head -n 1)
  # Take only the two libraries; nothing else of the archive is unpacked.
  tar -xf "$orig" -C "$work" --wildcards 'scintilla/*' 'lexilla/*'
  # Both DLLs are linked without a time stamp, so that the same sources give the same bytes.
  make -s -C "$work/scintilla/win32" -j"$jobs" CXX=$cross-g++-posix AR=$cross-ar RANLIB=$cross-ranlib \
       WINDRES=$cross-windres LDFLAGS="-shared -static -mwindows -Wl,--no-insert-timestamp" >"$work/scintilla.log" 2>&1 || { tail -n 40 "$work/scintilla.log"; exit 1; }
  (cd "$work/lexilla/src" && windir=1 LDFLAGS="-static -Wl,--no-insert-timestamp" make -s -j"$jobs" CXX=$cross-g++-posix AR=$cross-ar \
       RANLIB=$cross-ranlib WINDRES=$cross-windres) >"$work/lexilla.log" 2>&1 || { tail -n 40 "$work/lexilla.log"; exit 1; }
  rm -rf "$sci_dir.tmp" && mkdir -p "$sci_dir.tmp/include" "$sci_dir.tmp/doc"
  cp "$work/scintilla/bin/Scintilla.dll" "$work/lexilla/bin/lexilla.dll" "$sci_dir.tmp/"
  cp "$work"/scintilla/include/*.h "$work"/lexilla/include/*.h "$sci_dir.tmp/include/"
  cp "$work/scintilla/doc/ScintillaDoc.html" "$sci_dir.tmp/doc/" 2>/dev/null || true
  # The licence of both libraries, for the notices that go with the program.
  cp "$work/scintilla/License.txt" "$sci_dir.tmp/doc/License.txt"
  echo "$got" >"$sci_dir.tmp/source-version"
  rm -rf "$sci_dir" && mv "$sci_dir.tmp" "$sci_dir"
  rm -rf "$work"; trap - EXIT
fi

# --- PCRE2, 16-bit, static, with JIT ----------------------------------------
pcre_ver=$(src_version pcre2)
[ -n "$pcre_ver" ] || { echo "setup: no source package for pcre2" >&2; exit 1; }
pcre_dir="$cache/pcre2-${pcre_ver}"
if [ ! -f "$pcre_dir/lib/libpcre2-16.a" ]; then
  say "building the Windows libpcre2-16 from pcre2 $pcre_ver"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  fetch_source pcre2 "$work" >/dev/null
  orig=$(ls "$work"/pcre2_*.orig.tar.* | head -n 1)
  tar -xf "$orig" -C "$work"
  srcdir=$(find "$work" -maxdepth 1 -type d -name 'pcre2-*' | head -n 1)
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  cmake -S "$srcdir" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$pcre_dir.tmp" \
        -DBUILD_SHARED_LIBS=OFF -DPCRE2_BUILD_PCRE2_8=OFF -DPCRE2_BUILD_PCRE2_16=ON -DPCRE2_BUILD_PCRE2_32=OFF \
        -DPCRE2_SUPPORT_JIT=ON -DPCRE2_BUILD_TESTS=OFF -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_SUPPORT_UNICODE=ON \
        >"$work/pcre2.log" 2>&1 || { tail -n 40 "$work/pcre2.log"; exit 1; }
  cmake --build "$work/build" --target install >>"$work/pcre2.log" 2>&1 || { tail -n 40 "$work/pcre2.log"; exit 1; }
  [ -f "$pcre_dir.tmp/lib/libpcre2-16.a" ] || { echo "setup: libpcre2-16.a was not built" >&2; exit 1; }
  rm -rf "$pcre_dir" && mv "$pcre_dir.tmp" "$pcre_dir"
  rm -rf "$work"; trap - EXIT
fi

# Tell the build where the dependencies are.
cat >"$cache/deps.cmake.tmp" <<CMAKE
set(NORVO_SCINTILLA_DIR "$sci_dir")
set(NORVO_PCRE2_DIR "$pcre_dir")
CMAKE
mv "$cache/deps.cmake.tmp" "$cache/deps.cmake"
