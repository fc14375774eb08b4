# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT

# Sourced by the Windows and web build scripts: writes the notices of the
# libraries a build linked into THIRD-PARTY-NOTICES.txt, from the files of
# the packages the build used. Compiling drops every licence comment, so
# the notices are looked up for each source file whose code went in.

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
    sed 's/^/    /; s/ *$//' LICENSE
    echo
    echo "The program also holds code of the libraries below, compiled in. Their"
    echo "copyright and licence notices follow, as the files of the packages the"
    echo "build used give them, for each source file whose code went in."
}

# notice_section TITLE: a section of a notices file.
notice_section() {
    printf '\n\n%s\n%s\n\n' "$1" "$(sed 's/./-/g' <<<"$1")"
}
