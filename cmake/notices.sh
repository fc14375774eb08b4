#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Writes THIRD-PARTY-NOTICES.txt for what a build links in statically, from
# the files of the packages the build used. Compiling drops every licence
# comment, so the notices are looked up for each source file whose code went
# in. Run by the Windows and web builds:
#
#   notices.sh windows OUT VERSION MAP LINK_DIR FREEGLUT_TARBALL FREEGLUT_SOURCE FREEGLUT_BUILD FREEGLUT_LIB
#   notices.sh web OUT VERSION TRACE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# dep5_stanzas COPYRIGHT PATHS: the stanzas of the machine-readable Debian
# copyright file COPYRIGHT that cover the source files listed in the file
# PATHS (one a line, relative to the package's source tree), each with the
# files it covers in its Files field, followed by the texts of the licences
# they name that are not given in full in a stanza. As in DEP-5, of the
# stanzas that match a file the last one covers it; "*" matches "/" too.
# A licence under the LLVM exception is only named: that exception lets
# code compiled in go without its notice.
dep5_stanzas() {
    awk -v paths="$2" '
        function glob(pattern, regex) {
            regex = pattern
            gsub(/[.+^$(){}|\\[\]]/, "\\\\&", regex)
            gsub(/\*/, ".*", regex)
            gsub(/\?/, ".", regex)
            return "^" regex "$"
        }
        function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
        BEGIN {
            while ((getline line < paths) > 0) if (line != "") wanted[++count] = line
            RS = ""
        }
        /^Files:/ {
            stanza = ++stanzas
            text[stanza] = $0
            n = split($0, lines, "\n")
            patterns = ""
            for (i = 1; i <= n; i++) {
                if (i > 1 && lines[i] !~ /^[ \t]/) break
                line = lines[i]
                sub(/^Files:/, "", line)
                patterns = patterns " " line
            }
            split(trim(patterns), list, /[ \t]+/)
            for (i in list) for (p = 1; p <= count; p++)
                if (wanted[p] ~ glob(list[i])) covering[p] = stanza
            next
        }
        /^License:/ {
            n = split($0, lines, "\n")
            name = trim(substr(lines[1], 9))
            licence[name] = $0
            licences[++known] = name
        }
        END {
            for (p = 1; p <= count; p++) {
                if (!(p in covering)) {
                    print "no stanza covers " wanted[p] > "/dev/stderr"
                    exit 1
                }
                files[covering[p]] = files[covering[p]] "\n " wanted[p]
            }
            for (stanza = 1; stanza <= stanzas; stanza++) {
                if (!(stanza in files)) continue
                print "Files:" files[stanza]
                n = split(text[stanza], lines, "\n")
                keep = 0
                for (i = 1; i <= n; i++) {
                    if (lines[i] ~ /^[A-Za-z-]+:/) keep = lines[i] !~ /^(Files|Comment):/
                    if (!keep) continue
                    print lines[i]
                    if (lines[i] !~ /^License:/) continue
                    expression = trim(substr(lines[i], 9))
                    if (i < n && lines[i + 1] ~ /^ /) continue  # given in full here
                    if (expression ~ /with LLVM exception/) continue
                    gsub(/[()]/, "", expression)
                    m = split(expression, names, / (or|and) /)
                    for (j = 1; j <= m; j++) named[trim(names[j])] = 1
                }
                print ""
            }
            for (name in named) if (!(name in licence)) {
                print "no text for the licence " name > "/dev/stderr"
                exit 1
            }
            for (i = 1; i <= known; i++) if (licences[i] in named) print licence[licences[i]] "\n"
        }' "$1"
}

# source_notices ROOT FILE...: the copyright and permission notice at the
# head of each source file under ROOT, from its first copyright line to the
# end of its comment, without the lines that only say who wrote it when;
# files with the same notice are listed together. A file without one is
# under the package's general notice.
source_notices() {
    local root=$1 file notice plain=
    local -A files=()
    local order=()
    shift
    for file in "$@"; do
        notice=$(awk '
            !on && /[Cc]opyright (\([Cc]\) )?[0-9]|[Cc]opyright \([Cc]\)/ { on = 1 }
            on && /\*\// { exit }
            on {
                sub(/^[ \t]*\*? ?/, "")
                if (!/^(Written by|Creation date|Modification date)/) print
            }' "$root/$file")
        [ -n "$notice" ] || { plain+=" $file"; continue; }
        [ -n "${files[$notice]+set}" ] || order+=("$notice")
        files[$notice]+=" $file"
    done
    for notice in "${order[@]}"; do
        printf 'Files:%s\n%s\n\n' "${files[$notice]}" "$notice"
    done
    [ -z "$plain" ] || printf 'Files:%s\nNo notice of their own: the general notice above covers them.\n' "$plain"
}

# notice_header TITLE: the head of a notices file, with the game's own
# licence.
notice_header() {
    printf '%s\n%s\n\n' "$1" "$(sed 's/./=/g' <<<"$1")"
    echo "Zembrat Quillory itself is under the MIT licence (LICENSE.txt):"
    echo
    sed 's/^/    /; s/ *$//' "$root/LICENSE"
    echo
    echo "The program also holds code of the libraries below, compiled in. Their"
    echo "copyright and licence notices follow, as the files of the packages the"
    echo "build used give them, for each source file whose code went in."
}

# notice_section TITLE: a section of a notices file.
notice_section() {
    printf '\n\n%s\n%s\n\n' "$1" "$(sed 's/./-/g' <<<"$1")"
}

# THIRD-PARTY-NOTICES.txt beside the .exe: the notices of every library the
# link map shows linked in. freeglut's are its COPYING and the notices at the
# head of each of its files compiled in; the MinGW-w64 runtime's are the
# stanzas of its Debian copyright file that cover the source files its
# objects name in their debug information; GCC's runtime needs one line.
# Import stubs of Windows DLLs hold no code of a library's. Anything else
# stops the build until its notices are known.
windows_notices() {
    local out=$1 version=$2 map=$3 link_dir=$4 tarball=$5 glut_source=$6 glut_build=$7 glut_lib=$8
    local host=x86_64-w64-mingw32 work=$out.work entry archive member
    local glut=() unknown=() gcc=no mingw_copyright=/usr/share/doc/mingw-w64-x86-64-dev/copyright
    rm -rf "$work"
    mkdir -p "$work"
    : >"$work/mingw-sources"
    while read -r entry; do
        archive=$(realpath -m "${entry%%(*}") member=
        [[ $entry != *\)* ]] || { member=${entry#*(}; member=${member%)}; }
        case $archive in
            "$glut_lib")
                member=$(freeglut_source "$member") || exit 1
                glut+=("$member")
                ;;
            /usr/lib/gcc/$host/*) gcc=yes ;;
            /usr/$host/lib/*) mingw_source "$archive" "$member" >>"$work/mingw-sources" || unknown+=("$entry") ;;
            "$link_dir"/*) ;;  # the game's own
            *) unknown+=("$entry") ;;
        esac
    done < <(sed -n -e 's/^LOAD \(.*\.o\)$/\1/p' -e '/^Archive member included/,/^Discarded input sections/s/^\([^ ]*\.a([^)]*)\).*/\1/p' \
        "$map" | sed "s|^\([^/]\)|$link_dir/\1|")
    if [ ${#unknown[@]} -ne 0 ] || [ "$gcc" = no ] || [ ${#glut[@]} -eq 0 ]; then
        printf '%s\n' "${unknown[@]}" >&2
        echo "No notices known for the objects above (or no freeglut, or no GCC runtime, in $map)" >&2
        exit 1
    fi
    sort -u -o "$work/mingw-sources" "$work/mingw-sources"
    {
        notice_header "Zembrat Quillory $version for 64-bit Windows: licences"
        notice_section "freeglut, from Debian's source package $(basename "$tarball")"
        cat "$glut_source/COPYING"
        echo
        echo "The files of freeglut compiled into zembrat-quillory.exe, and their own notices:"
        echo
        source_notices "$glut_source" "${glut[@]}"
        notice_section "The MinGW-w64 runtime, from $mingw_copyright"
        dep5_stanzas "$mingw_copyright" "$work/mingw-sources" || exit 1
        notice_section "The GCC runtime"
        echo "libgcc and libstdc++ are linked in under the GCC Runtime Library Exception,"
        echo "version 3.1, which asks for no notice (/usr/share/doc/gcc-mingw-w64-base/copyright)."
    } >"$out"
    rm -rf "$work"
}
# freeglut_source MEMBER: the source file, in freeglut's tree, of the object
# MEMBER of its static library.
freeglut_source() {
    local object
    object=$(cd "$glut_build" && find . -path "*/freeglut_static.dir/*" -name "$1" | head -n 1)
    [ -n "$object" ] || { echo "freeglut's build has no object $1" >&2; return 1; }
    object=${object#*/freeglut_static.dir/}
    echo "${object%.obj}"
}
# mingw_source ARCHIVE [MEMBER]: the source file, in MinGW-w64's tree, that
# the object (or the member of the archive) names in its debug information;
# nothing for an import stub.
mingw_source() {
    local object=$work/object.o name
    if [ -n "$2" ]; then "$host-ar" p "$1" "$2" >"$object"; else cp "$1" "$object"; fi
    name=$("$host-objdump" --dwarf=info "$object" 2>/dev/null |
        sed -n '/DW_TAG_compile_unit/,/DW_AT_comp_dir/s/.*DW_AT_name *:.*: //p' | head -n 1)
    if [ -n "$name" ]; then
        echo "${name#./}"
    elif ! "$host-objdump" -h "$object" | grep -q '\.idata\$'; then
        return 1
    fi
}


# THIRD-PARTY-NOTICES.txt for the site: the notices of Emscripten's
# JavaScript runtime and of the system libraries the linker took members of
# (its trace, printed while linking), from the stanzas of the emscripten
# package's copyright file that cover their source files; musl's own
# COPYRIGHT with its C library. Where each library's sources are, under
# Emscripten's tree: a library not listed stops the build until its notices
# are known.
declare -A kLibrarySources=(
    [libc]="system/lib/libc system/lib/pthread" [libstubs]=system/lib/libc
    [libc++]=system/lib/libcxx [libc++abi]=system/lib/libcxxabi [libcompiler_rt]=system/lib/compiler-rt
    [libdlmalloc]="system/lib/dlmalloc.c system/lib/sbrk.c" [libemmalloc]="system/lib/emmalloc.c system/lib/sbrk.c"
)
web_notices() {
    local out=$1 version=$2 trace=$3
    local emscripten=/usr/share/emscripten copyright=/usr/share/doc/emscripten/copyright
    local sources=$out.sources member library object found unknown=()
    printf '%s\n' src/shell.js src/preamble.js src/library.js src/postamble.js >"$sources"
    # The trace names members as .../sysroot/lib/wasm32-emscripten[/lto]/libc-optz.a(rand.o).
    while read -r member; do
        library=${member%%.a(*}
        library=${library%%-*}  # the variant aside: libc++-noexcept, libc-mt
        object=${member#*(}
        object=${object%.o)}
        found=
        [ -z "${kLibrarySources[$library]:-}" ] ||
            found=$(cd "$emscripten" && find ${kLibrarySources[$library]} -type f \( -name "$object.c" \
                -o -name "$object.cpp" -o -name "$object.s" -o -name "$object.S" \) | sort)
        [ -n "$found" ] || unknown+=("$member")
        echo "$found" >>"$sources"
    done < <(sed -n 's|^.*/sysroot/lib/.*/\(lib[^/]*\.a([^)]*)\)$|\1|p' "$trace" | sort -u)
    if [ ${#unknown[@]} -ne 0 ] || ! grep -q '^system/lib/libc/musl/' "$sources"; then
        printf '%s\n' "${unknown[@]}" >&2
        echo "No notices known for the members above of Emscripten's libraries (or no C library linked)" >&2
        exit 1
    fi
    sort -u -o "$sources" "$sources"
    # With a byte-order mark, by which a browser reads it as UTF-8 from any server.
    {
        printf '\357\273\277'
        notice_header "Zembrat Quillory $version in a web browser: licences"
        notice_section "Emscripten $(tr -d '"' <"$emscripten/emscripten-version.txt"), from $copyright"
        dep5_stanzas "$copyright" "$sources" || exit 1
        notice_section "musl, the C library, from $emscripten/system/lib/libc/musl/COPYRIGHT"
        cat "$emscripten/system/lib/libc/musl/COPYRIGHT"
    } >"$out"
    rm -f "$sources"
}

platform=$1
shift
"${platform}_notices" "$@"
