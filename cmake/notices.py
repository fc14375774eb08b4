#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
# SPDX-License-Identifier: MIT
# THIRD-PARTY-NOTICES.txt for what a build links in statically, from the files
# of the packages it used: compiling drops every licence comment, so the
# notices are looked up for each source file whose code went in.
#   notices.py windows OUT VERSION MAP LINK_DIR FREEGLUT_TARBALL FREEGLUT_SOURCE FREEGLUT_BUILD
#              FREEGLUT_LIB OBJDUMP RUNTIME_DIR...  (the compiler's own link directories)
#   notices.py web OUT VERSION TRACE
import functools, glob, os, re, subprocess, sys
from debian.copyright import Copyright

EMSCRIPTEN = "/usr/share/emscripten"

def read(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as file:
        return file.read()

def fail(message, items=()):
    sys.exit("\n".join([*sorted(items), message]))

# The paragraphs of the copyright file PATH that cover SOURCES, with those as
# their Files, then the licences they name without giving them in full. The
# LLVM exception lets code compiled in go without its notice.
def dep5_stanzas(path, sources):
    with open(path, encoding="utf-8") as file:
        copyright = Copyright(file, strict=False)
    # As find_files_paragraph (the last match wins), with the whole path
    # matched: python-debian 0.1.49 anchors only the last glob of a paragraph.
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

# The notice at the head of each source file under ROOT, from its first
# copyright line to the end of its comment, without who wrote it when; files
# with the same notice together, and those without one under the general one.
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

# Beside the .exe, for each library the link map shows: freeglut's COPYING and
# its files' notices; the MinGW-w64 runtime's paragraphs for the sources its
# objects name in their debug information (import stubs hold no code); a line
# for GCC's runtime (where libgcc.a is). Anything else stops the build.
def windows(version, map_file, link_dir, tarball, glut_source, glut_build, glut_lib, objdump, *runtimes):
    gcc_dirs = {os.path.realpath(d): os.path.exists(f"{d}/libgcc.a") for d in runtimes}
    mingw_copyright = "/usr/share/doc/mingw-w64-x86-64-dev/copyright"
    text = read(map_file)
    members = text.partition("Archive member included")[2].partition("\nDiscarded input sections")[0]
    glut, mingw, unknown, gcc = [], set(), [], False
    for entry in re.findall(r"^([^ ]*\.a\([^)]*\))", members, re.M) + re.findall(r"^LOAD (.*\.o)$", text, re.M):
        archive, _, member = os.path.join(link_dir, entry).partition("(")
        archive, member = os.path.realpath(archive), member[:-1] or os.path.realpath(archive)
        runtime = [is_gcc for d, is_gcc in gcc_dirs.items() if archive.startswith(d + "/")]
        if archive == os.path.realpath(glut_lib):
            objects = glob.glob(f"{glut_build}/**/freeglut_static.dir/**/{member}", recursive=True) or fail(
                f"freeglut's build has no object {member}")
            glut.append(objects[0].partition("/freeglut_static.dir/")[2].removesuffix(".obj"))
        elif runtime == [True]:
            gcc = True
        elif runtime == [False]:
            source = mingw_source(objdump, archive, member)
            mingw.update([source] if source else [])
            unknown += [entry] if source is None else []
        elif not archive.startswith(os.path.realpath(link_dir) + "/"):  # not the game's own
            unknown.append(entry)
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

# The source file, in MinGW-w64's tree, that an object (an archive's MEMBER)
# names in its debug information; "" for an import stub, None for neither.
def mingw_source(objdump, archive, member):
    info = dump(objdump, "--dwarf=info", archive).get(member, "")
    if name := re.search(r"DW_AT_name *:.*: (.*)", "".join(re.findall(
            r"DW_TAG_compile_unit.*?(?:DW_AT_comp_dir|\Z)", info, re.S))):
        return name[1].removeprefix("./")
    return "" if ".idata$" in dump(objdump, "-h", archive).get(member, "") else None

# What objdump prints for an object, or for each member of an archive by name
# (the first of a name, as "ar p" takes it).
@functools.cache
def dump(objdump, option, path):
    text = subprocess.run([objdump, option, path], capture_output=True, text=True).stdout
    parts = re.split(r"^(\S+):\s+file format .*$", text, flags=re.M)
    return dict(list(zip(parts[1::2], parts[2::2]))[::-1])

# Where Emscripten's system libraries have their sources: another one stops the build.
LIBRARY_SOURCES = {"libc": ["libc", "pthread"], "libstubs": ["libc"], "libc++": ["libcxx"], "libc++abi": ["libcxxabi"],
                   "libcompiler_rt": ["compiler-rt"], "libdlmalloc": ["dlmalloc.c", "sbrk.c"],
                   "libemmalloc": ["emmalloc.c", "sbrk.c"]}  # under system/lib

# For the site: the emscripten package's paragraphs for its JavaScript runtime
# and the sources of the members the linker's trace shows; musl's COPYRIGHT.
def web(version, trace):
    copyright = "/usr/share/doc/emscripten/copyright"
    sources, unknown = {"src/shell.js", "src/preamble.js", "src/library.js", "src/postamble.js"}, []
    # The trace names members as .../sysroot/lib/wasm32-emscripten[/lto]/libc-optz.a(rand.o).
    for member in set(re.findall(r"^.*/sysroot/lib/.*/(lib[^/]*\.a\([^)]*\))$", read(trace), re.M)):
        library = member.partition(".a(")[0].partition("-")[0]  # the variant aside: libc++-noexcept, libc-mt
        object = member.partition("(")[2].removesuffix(".o)")
        found = [path for where in LIBRARY_SOURCES.get(library, []) for path in [f"system/lib/{where}",
                 *glob.glob(f"system/lib/{where}/**/{object}.*", root_dir=EMSCRIPTEN, recursive=True)]
                 if path.rpartition("/")[2] in [f"{object}.{extension}" for extension in ("c", "cpp", "s", "S")]]
        sources.update(found) if found else unknown.append(member)
    if unknown or not any(s.startswith("system/lib/libc/musl/") for s in sources):
        fail("No notices known for the members above of Emscripten's libraries (or no C library linked)", unknown)
    # With a byte-order mark, by which a browser reads it as UTF-8 from any server.
    return ("\ufeff" + header(f"Zembrat Quillory {version} in a web browser: licences")
            + section(f"Emscripten {read(f'{EMSCRIPTEN}/emscripten-version.txt').replace(chr(34), '').rstrip()}"
                      f", from {copyright}")
            + dep5_stanzas(copyright, sorted(sources))
            + section(f"musl, the C library, from {EMSCRIPTEN}/system/lib/libc/musl/COPYRIGHT")
            + read(f"{EMSCRIPTEN}/system/lib/libc/musl/COPYRIGHT"))

if __name__ == "__main__":
    notices = {"windows": windows, "web": web}[sys.argv[1]](*sys.argv[3:])
    with open(sys.argv[2], "w", encoding="utf-8", errors="surrogateescape") as file:
        file.write(notices)
