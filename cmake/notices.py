#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# Writes THIRD-PARTY-NOTICES.txt for what a build links in statically, from
# the files of the packages the build used. Compiling drops every licence
# comment, so the notices are looked up for each source file whose code went
# in. Run by the Windows and web builds:
#
#   notices.py windows OUT VERSION MAP LINK_DIR FREEGLUT_TARBALL FREEGLUT_SOURCE FREEGLUT_BUILD
#              FREEGLUT_LIB OBJDUMP AR RUNTIME_DIR...  (the compiler's link directories)
#   notices.py web OUT VERSION TRACE
import glob, os, re, subprocess, sys, tempfile
from debian.copyright import Copyright

EMSCRIPTEN = "/usr/share/emscripten"

def read(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as file:
        return file.read()

def fail(message, items=()):
    sys.exit("\n".join([*sorted(items), message]))

# The paragraphs of the machine-readable copyright file PATH that cover
# SOURCES, each with the sources it covers as its Files, then the texts of the
# licences they name that none gives in full. A licence under the LLVM
# exception is only named: it lets code compiled in go without its notice.
def dep5_stanzas(path, sources):
    with open(path, encoding="utf-8") as file:
        copyright = Copyright(file, strict=False)
    # As find_files_paragraph (the last paragraph that matches wins), but with
    # the whole path matched: python-debian 0.1.49 anchors only the last glob
    # of a paragraph at the end, so that "*/compile" took compiler-rt's files.
    paragraphs = list(copyright.all_files_paragraphs())
    covering = {s: next((p for p in reversed(paragraphs) if p.files_pattern().fullmatch(s)), None) for s in sources}
    if None in covering.values():
        fail("no stanza covers the files above", [s for s, p in covering.items() if p is None])
    text, named = "", set()
    for paragraph in paragraphs:
        if covered := "".join("\n " + source for source in sources if covering[source] is paragraph):
            text += f"Files:{covered}\n" + "".join(f"{name}:{'' if paragraph[name][:1] == chr(10) else ' '}"
                f"{paragraph[name]}\n" for name in paragraph if name.lower() not in ("files", "comment")) + "\n"
            licence = paragraph.license
            if not licence.text and "with LLVM exception" not in licence.synopsis:
                named.update(n.strip() for n in re.split(" or | and ", re.sub("[()]", "", licence.synopsis)))
    texts = [p for p in copyright.all_license_paragraphs() if p.license.synopsis in named]
    if missing := named - {p.license.synopsis for p in texts}:
        fail("no text for the licences above", missing)
    return text + "".join(p.dump() + "\n" for p in texts)

# The copyright and permission notice at the head of each source file under
# ROOT, from its first copyright line to the end of its comment, without the
# lines that only say who wrote it when; files with the same notice together.
# A file without one is under the package's general notice.
def source_notices(root, files):
    notices, plain = {}, []
    for name in files:
        lines, on = [], False
        for line in read(f"{root}/{name}").split("\n"):
            on = on or re.search(r"[Cc]opyright (\([Cc]\) )?[0-9]|[Cc]opyright \([Cc]\)", line)
            if on and "*/" in line:
                break
            line = re.sub(r"^[ \t]*\*? ?", "", line)
            if on and not re.match("Written by|Creation date|Modification date", line):
                lines.append(line)
        notice = "\n".join(lines).rstrip("\n")
        notices.setdefault(notice, []).append(name) if notice else plain.append(name)
    text = "".join(f"Files: {' '.join(names)}\n{notice}\n\n" for notice, names in notices.items())
    general = "No notice of their own: the general notice above covers them.\n"
    return text + (f"Files: {' '.join(plain)}\n{general}" if plain else "")

# The head of a notices file, with the game's own licence; a section of it.
def header(title):
    licence = read(os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "LICENSE")).splitlines()
    return (f"{title}\n{'=' * len(title)}\n\nZembrat Quillory itself is under the MIT licence (LICENSE.txt):\n\n"
            + "".join(f"    {line}".rstrip(" ") + "\n" for line in licence)
            + "\nThe program also holds code of the libraries below, compiled in. Their\n"
            "copyright and licence notices follow, as the files of the packages the\n"
            "build used give them, for each source file whose code went in.\n")

def section(title):
    return f"\n\n{title}\n{'-' * len(title)}\n\n"

# Beside the .exe: the notices of every library the link map shows linked in.
# freeglut's are its COPYING and the notices at the head of each of its files
# compiled in; the MinGW-w64 runtime's the paragraphs of its copyright file
# that cover the source files its objects name in their debug information;
# GCC's runtime (the link directory with libgcc.a) needs one line. Import
# stubs of Windows DLLs hold no code of a library's. Anything else stops the
# build until its notices are known.
def windows(version, map_file, link_dir, tarball, glut_source, glut_build, glut_lib, objdump, ar, *runtimes):
    gcc_dirs = {os.path.realpath(d): os.path.exists(f"{d}/libgcc.a") for d in runtimes}
    mingw_copyright = "/usr/share/doc/mingw-w64-x86-64-dev/copyright"
    text = read(map_file)
    members = text.partition("Archive member included")[2].partition("\nDiscarded input sections")[0]
    glut, mingw, unknown, gcc = [], set(), [], False
    for entry in re.findall(r"^([^ ]*\.a\([^)]*\))", members, re.M) + re.findall(r"^LOAD (.*\.o)$", text, re.M):
        archive, _, member = os.path.join(link_dir, entry).partition("(")
        archive, member = os.path.realpath(archive), member[:-1]
        runtime = [is_gcc for d, is_gcc in gcc_dirs.items() if archive.startswith(d + "/")]
        if archive == os.path.realpath(glut_lib):
            object = glob.glob(f"{glut_build}/**/freeglut_static.dir/**/{member}", recursive=True) or fail(
                f"freeglut's build has no object {member}")
            glut.append(object[0].partition("/freeglut_static.dir/")[2].removesuffix(".obj"))
        elif runtime == [True]:
            gcc = True
        elif runtime != [False]:
            unknown += [] if archive.startswith(os.path.realpath(link_dir) + "/") else [entry]  # the game's own
        elif (source := mingw_source(objdump, ar, archive, member)) is None:
            unknown.append(entry)
        elif source:
            mingw.add(source)
    if unknown or not gcc or not glut:
        fail(f"No notices known for the objects above (or no freeglut, or no GCC runtime, in {map_file})", unknown)
    return (header(f"Zembrat Quillory {version} for 64-bit Windows: licences")
            + section(f"freeglut, from Debian's source package {os.path.basename(tarball)}")
            + read(f"{glut_source}/COPYING")
            + "\nThe files of freeglut compiled into zembrat-quillory.exe, and their own notices:\n\n"
            + source_notices(glut_source, glut) + section(f"The MinGW-w64 runtime, from {mingw_copyright}")
            + dep5_stanzas(mingw_copyright, sorted(mingw)) + section("The GCC runtime")
            + "libgcc and libstdc++ are linked in under the GCC Runtime Library Exception,\n"
            "version 3.1, which asks for no notice (/usr/share/doc/gcc-mingw-w64-base/copyright).\n")

# The source file, in MinGW-w64's tree, that the object (or the member of the
# archive) names in its debug information; "" for an import stub, None for
# an object that names none.
def mingw_source(objdump, ar, archive, member):
    with tempfile.NamedTemporaryFile(suffix=".o") as copy:
        if member:
            copy.write(subprocess.run([ar, "p", archive, member], check=True, capture_output=True).stdout)
            copy.flush()
        path = copy.name if member else archive
        info = subprocess.run([objdump, "--dwarf=info", path], capture_output=True, text=True).stdout
        units = "".join(re.findall(r"DW_TAG_compile_unit.*?(?:DW_AT_comp_dir|\Z)", info, re.S))
        if name := re.search(r"DW_AT_name *:.*: (.*)", units):
            return name[1].removeprefix("./")
        sections = subprocess.run([objdump, "-h", path], check=True, capture_output=True, text=True).stdout
        return "" if ".idata$" in sections else None

# Where each of Emscripten's system libraries has its sources, in its tree: a
# library not listed stops the build until its notices are known.
LIBRARY_SOURCES = {
    "libc": ["system/lib/libc", "system/lib/pthread"], "libstubs": ["system/lib/libc"],
    "libc++": ["system/lib/libcxx"], "libc++abi": ["system/lib/libcxxabi"], "libcompiler_rt": ["system/lib/compiler-rt"],
    "libdlmalloc": ["system/lib/dlmalloc.c", "system/lib/sbrk.c"], "libemmalloc": ["system/lib/emmalloc.c", "system/lib/sbrk.c"]}

# For the site: the notices of Emscripten's JavaScript runtime and of the
# system libraries the linker took members of (its trace, printed while
# linking), from the paragraphs of the emscripten package's copyright file
# that cover their source files; musl's own COPYRIGHT with its C library.
def web(version, trace):
    copyright = "/usr/share/doc/emscripten/copyright"
    sources, unknown = {"src/shell.js", "src/preamble.js", "src/library.js", "src/postamble.js"}, []
    # The trace names members as .../sysroot/lib/wasm32-emscripten[/lto]/libc-optz.a(rand.o).
    for member in set(re.findall(r"^.*/sysroot/lib/.*/(lib[^/]*\.a\([^)]*\))$", read(trace), re.M)):
        library = member.partition(".a(")[0].partition("-")[0]  # the variant aside: libc++-noexcept, libc-mt
        object = member.partition("(")[2].removesuffix(".o)")
        found = [path for where in LIBRARY_SOURCES.get(library, []) for path in
                 [where, *glob.glob(f"{where}/**/{object}.*", root_dir=EMSCRIPTEN, recursive=True)]
                 if path.rpartition("/")[2] in [f"{object}.{extension}" for extension in ("c", "cpp", "s", "S")]]
        sources.update(found) if found else unknown.append(member)
    if unknown or not any(s.startswith("system/lib/libc/musl/") for s in sources):
        fail("No notices known for the members above of Emscripten's libraries (or no C library linked)", unknown)
    version_file = f"{EMSCRIPTEN}/emscripten-version.txt"
    # With a byte-order mark, by which a browser reads it as UTF-8 from any server.
    return ("\ufeff" + header(f"Zembrat Quillory {version} in a web browser: licences")
            + section(f"Emscripten {read(version_file).replace(chr(34), '').rstrip()}, from {copyright}")
            + dep5_stanzas(copyright, sorted(sources))
            + section(f"musl, the C library, from {EMSCRIPTEN}/system/lib/libc/musl/COPYRIGHT")
            + read(f"{EMSCRIPTEN}/system/lib/libc/musl/COPYRIGHT"))

if __name__ == "__main__":
    notices = {"windows": windows, "web": web}[sys.argv[1]](*sys.argv[3:])
    with open(sys.argv[2], "w", encoding="utf-8", errors="surrogateescape") as file:
        file.write(notices)
