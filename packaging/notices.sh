#!/usr/bin/env bash
# Writes THIRD-PARTY-NOTICES.txt: the copyright and licence texts of everything inside the
# program's binaries, read at packaging time from where the parts come from: the source
# package the two DLLs were built from, and the installed packages that own the static
# libraries linked into Norvo.exe.
# Usage: packaging/notices.sh VERSION SCINTILLA_DIR PCRE2_DIR OUTPUT
set -euo pipefail
version=$1 sci_dir=$2 pcre_dir=$3 out=$4
cxx=x86_64-w64-mingw32-g++-posix

rule() { printf '%s\n' "------------------------------------------------------------------------------"; }
fail() { echo "notices: $*" >&2; exit 1; }

# The installed package that owns a static library the compiler links.
owner() {
  local path
  path=$(realpath "$($cxx -print-file-name="$1")")
  [ -f "$path" ] || fail "the compiler does not find $1"
  dpkg -S "$path" | head -n 1 | cut -d: -f1
}

# A part: title, where it is, where the text comes from, then the text files.
part() {
  local title=$1 where=$2 from=$3; shift 3
  echo; rule; echo "$title"; echo "  In: $where"; echo "  Text: $from"; rule; echo
  local seen=() f s dup
  for f in "$@"; do
    [ -s "$f" ] || fail "missing licence text $f"
    s=$(sha256sum <"$f"); dup=0
    for x in "${seen[@]+"${seen[@]}"}"; do [ "$x" = "$s" ] && dup=1; done
    [ $dup = 1 ] && continue
    seen+=("$s"); cat "$f"
  done
}

# The packages that own the given libraries, and their copyright files.
from_packages() {
  local pkgs=() l
  for l in "$@"; do pkgs+=("$(owner "$l")"); done
  mapfile -t pkgs < <(printf '%s\n' "${pkgs[@]}" | sort -u)
  local p files=() names=()
  for p in "${pkgs[@]}"; do
    names+=("$p $(dpkg-query -W -f='${Version}' "$p")")
    files+=("/usr/share/doc/$p/copyright")
  done
  local noun="package"; [ ${#names[@]} -gt 1 ] && noun="packages"
  from_text="the copyright file of the Debian $noun $(IFS=,; echo "${names[*]}" | sed 's/,/, /g')"
  from_files=("${files[@]}")
}

sci_src=$(cat "$sci_dir/source-version")
pcre_src=${pcre_dir##*/pcre2-}
pcre_pkg=libpcre2-dev

{
  echo "Norvo $version: notices of third-party software"
  echo "=================================================="
  echo
  echo "Norvo itself is distributed under the MIT licence (see LICENSE). Norvo.exe,"
  echo "Scintilla.dll and lexilla.dll also contain the software listed below, each under"
  echo "its own licence, whose copyright notices and licence texts follow as they ask."

  part "Scintilla and Lexilla" "Scintilla.dll, lexilla.dll (built from the Debian source package scite $sci_src)" \
       "scintilla/License.txt of that source package" "$sci_dir/doc/License.txt"

  part "PCRE2, with its just-in-time compiler (sljit)" \
       "Norvo.exe, linked statically (built from the Debian source package pcre2 $pcre_src)" \
       "the copyright file of the Debian package $pcre_pkg $(dpkg-query -W -f='${Version}' $pcre_pkg)" \
       "/usr/share/doc/$pcre_pkg/copyright"

  from_packages libz.a
  part "zlib" "Norvo.exe, linked statically" "$from_text" "${from_files[@]}"

  from_packages libstdc++.a libgcc.a libgcc_eh.a
  part "The GCC runtime: libstdc++ and libgcc, under the GCC Runtime Library Exception" \
       "Norvo.exe, Scintilla.dll, lexilla.dll, linked statically" "$from_text" "${from_files[@]}"

  from_packages libmingw32.a libmingwex.a libwinpthread.a
  part "The mingw-w64 runtime: start-up code, C runtime support and winpthreads" \
       "Norvo.exe, Scintilla.dll, lexilla.dll, linked statically" "$from_text" "${from_files[@]}"
} >"$out.tmp"
grep -q "GCC RUNTIME LIBRARY EXCEPTION" "$out.tmp" || fail "the GCC Runtime Library Exception is not in the texts"
grep -q "winpthreads" "$out.tmp" || fail "the winpthreads licence is not in the texts"
mv "$out.tmp" "$out"
