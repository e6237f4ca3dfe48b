#!/usr/bin/env python3
"""Checks every #include of the tree against the layers of the design.

  core/                               core/, the interfaces platform/*.h, export headers
  platform/*.h (the interfaces)       platform/*.h, the core's value headers, export headers
  control/ sheet/ data/ editing/      core/, platform/*.h and each other; never a backend
  printing/
  backends platform/<name>/           platform/*.h (platform/surface.h is the backend header),
                                      the core's value headers, the public class
                                      control/agendor.h, their own folder, the backends
                                      they link, library headers
  hosts demo/ tools/ examples/        installed headers, their own folder, library headers
  tests (any tests/ folder), bench/,  anything
  fuzz/

The core and the interfaces include no library but the standard one. A known
violation is listed in the exceptions file (one line: file and the header as
written), so it stays visible until it is mended.

  check_layering.py [--root DIR] [--exceptions FILE] [--graph]

Exits 1 and prints file:line and the include for every violation; --graph
prints the folders and the arrows between them with their counts.
"""
import argparse
import os
import re
import subprocess
import sys
from collections import Counter

CORE_FOLDERS = {"control", "sheet", "data", "editing", "printing"}
HOSTS = {"demo", "tools", "examples"}
ANYTHING = {"bench", "fuzz"}
# The core's value headers, installed with the interfaces that use them.
CORE_VALUES = {"core/date_time.h", "core/field_value.h", "core/locale.h"}
# The public class: hosts and the backends' glue create the control through it.
PUBLIC_CLASS = "control/agendor.h"
# The backend header hands the backends the core code they share with each
# other (the grid's cell store); no other interface reaches into core/.
BACKEND_HEADER = "platform/surface.h"
BACKEND_CORE = {"core/grid_cells.h"}
# The control's inside: a host never includes it.
NOT_FOR_HOSTS = {"control/instance.h", "core/instance.h"}
# Which backends each backend links (target_link_libraries in platform/*/CMakeLists.txt
# and the top CMakeLists.txt); qt links ical when the iCalendar exchange is built.
BACKEND_LINKS = {
    "sql": set(),
    "sample": set(),
    "sqlite": {"sql", "sample"},
    "postgres": {"sql", "sample"},
    "ical": set(),
    "qt": {"ical"},
    "memory": set(),
}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".cxx")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
EXPORT_HEADER = re.compile(r"^agendor/[a-z0-9_]+_export\.h$")
LINK_CALL = re.compile(r"target_link_libraries\s*\(\s*agendor_(\w+)\b(.*?)\)", re.S)
PACKAGE_CALL = re.compile(r"agendor_package_library\s*\((.*?)\)", re.S)
PACKAGE_KEYWORDS = {"COMPONENT", "HEADERS", "REQUIRES", "DEPENDENCIES", "PKG_CONFIG_REQUIRES"}

# The C++ standard library and the C headers it carries.
STANDARD_HEADERS = set("""
algorithm any array atomic barrier bit bitset charconv chrono codecvt compare complex concepts
condition_variable coroutine deque exception execution expected filesystem format forward_list
fstream functional future initializer_list iomanip ios iosfwd iostream istream iterator latch
limits list locale map memory memory_resource mutex new numbers numeric optional ostream queue
random ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span
sstream stack stdexcept stop_token streambuf string string_view syncstream system_error thread
tuple type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector
version cassert cctype cerrno cfenv cfloat cinttypes climits clocale cmath csetjmp csignal
cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype
""".split())


def tracked_files(root):
    """The tree's source files: git's tracked and untracked-but-not-ignored
    files in a checkout, else every file below root."""
    try:
        out = subprocess.run(["git", "-C", root, "ls-files", "--cached", "--others", "--exclude-standard"],
                             capture_output=True, text=True, check=True).stdout.split("\n")
        if subprocess.run(["git", "-C", root, "rev-parse", "--show-prefix"], capture_output=True,
                          text=True).stdout.strip() == "":
            return sorted(f for f in out if f.endswith(SOURCE_SUFFIXES) and os.path.isfile(os.path.join(root, f)))
    except (OSError, subprocess.CalledProcessError):
        pass
    files = []
    for folder, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if not d.startswith(".")
                   and not os.path.exists(os.path.join(folder, d, "CMakeCache.txt"))]
        files += [os.path.relpath(os.path.join(folder, n), root) for n in names if n.endswith(SOURCE_SUFFIXES)]
    return sorted(f.replace(os.sep, "/") for f in files)


def cmake_lists(root):
    """The text of every CMakeLists.txt of the tree (build folders left out),
    without its comments."""
    for folder, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if not d.startswith(".")
                   and not os.path.exists(os.path.join(folder, d, "CMakeCache.txt"))]
        if "CMakeLists.txt" in names:
            with open(os.path.join(folder, "CMakeLists.txt"), encoding="utf-8") as text:
                yield re.sub(r"#[^\n]*", "", text.read())


def installed_headers(root):
    """The HEADERS of every agendor_package_library call: what the package installs."""
    headers = set()
    for text in cmake_lists(root):
        for call in PACKAGE_CALL.findall(text):
            taking = False
            for word in call.split():
                if word in PACKAGE_KEYWORDS:
                    taking = word == "HEADERS"
                elif taking and "$" not in word:
                    headers.add(word)
    return headers


def linked_backends(root):
    """The backends each backend target links, as its target_link_libraries
    calls in the CMakeLists.txt files say (whatever condition surrounds them)."""
    links = {}
    for text in cmake_lists(root):
        for name, arguments in LINK_CALL.findall(text):
            if name in BACKEND_LINKS:
                found = set(re.findall(r"agendor::(\w+)", arguments)) & set(BACKEND_LINKS)
                links.setdefault(name, set()).update(found)
    return links


def read_exceptions(path):
    allowed = set()
    if path and os.path.exists(path):
        for line in open(path, encoding="utf-8"):
            line = line.split("#", 1)[0].split()
            if len(line) == 2:
                allowed.add(tuple(line))
    return allowed


def is_test(path):
    parts = path.split("/")
    return "tests" in parts[:-1] or parts[0] in ANYTHING


def layer(path):
    """core, interface, core-folder, backend:<name>, host:<folder>, test or other."""
    parts = path.split("/")
    if is_test(path):
        return "test"
    if parts[0] == "core":
        return "core"
    if parts[0] == "platform":
        return "interface" if len(parts) == 2 else "backend:" + parts[1]
    if parts[0] in CORE_FOLDERS:
        return "core-folder"
    if parts[0] in HOSTS:
        own = "/".join(parts[:2]) if parts[0] == "examples" and len(parts) > 2 else parts[0]
        return "host:" + own
    return "other"


def resolve(source, written, files):
    """The tree path an include names, "export" for a generated export
    header, or None for a header from outside the tree."""
    if written.startswith("agendor/"):
        inside = written[len("agendor/"):]
        if inside in files:
            return inside
        return "export" if EXPORT_HEADER.match(written) else None
    if written in files:
        return written
    beside = os.path.normpath(os.path.join(os.path.dirname(source), written)).replace(os.sep, "/")
    return beside if beside in files else None


def fault(source, kind, target, installed):
    """Why source (of layer kind) may not include target; None when it may."""
    if kind in ("test", "other") or target == "export":
        return None
    parts = target.split("/")
    interface = parts[0] == "platform" and len(parts) == 2
    if kind == "core":
        return None if parts[0] == "core" or interface else "core/ includes only core/ and platform/*.h"
    if kind == "interface":
        if source == BACKEND_HEADER and target in BACKEND_CORE:
            return None
        return None if interface or target in CORE_VALUES else \
            "an interface includes only platform/*.h and the core's value headers"
    if kind == "core-folder":
        if parts[0] in CORE_FOLDERS or parts[0] == "core" or interface:
            return None
        return "the core includes no backend" if parts[0] == "platform" else "the core includes only core/ and platform/*.h"
    if kind.startswith("backend:"):
        name = kind.split(":")[1]
        if interface or target in CORE_VALUES or target == PUBLIC_CLASS:
            return None
        if parts[0] == "platform" and len(parts) > 2 and (parts[1] == name or parts[1] in BACKEND_LINKS.get(name, ())):
            return None
        return f"backend {name} includes only interfaces, the core's value headers, its own folder and the backends it links"
    if kind.startswith("host:"):
        own = kind.split(":")[1]
        if target in NOT_FOR_HOSTS:
            return "a host never includes the control's instance"
        if target in installed or target == own or target.startswith(own + "/"):
            return None
        return "a host includes only installed headers"
    return None


def check(root, exceptions_path, graph):
    files = tracked_files(root)
    known = set(files)
    installed = installed_headers(root)
    allowed = read_exceptions(exceptions_path)
    used, faults, edges = set(), [], Counter()
    # The table above must say what CMake links, or the rule would admit too
    # much or too little.
    for name, links in sorted(linked_backends(root).items()):
        if links != BACKEND_LINKS[name]:
            faults.append(f"BACKEND_LINKS[{name!r}] is {sorted(BACKEND_LINKS[name])}, CMake links {sorted(links)}")
    for source in files:
        kind = layer(source)
        with open(os.path.join(root, source), encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                bracket, written = match.groups()
                target = resolve(source, written, known) if bracket == '"' else None
                if target is None:
                    # From outside the tree: the core and its interfaces take only the standard library.
                    if bracket == "<" and kind in ("core", "interface", "core-folder") \
                            and written not in STANDARD_HEADERS:
                        why = "the core includes no library but the standard one"
                    else:
                        continue
                else:
                    if target != "export":
                        edges[(graph_folder(source), graph_folder(target))] += 1
                    why = fault(source, kind, target, installed)
                if why is None:
                    continue
                if (source, written) in allowed:
                    used.add((source, written))
                    continue
                faults.append(f"{source}:{number}: {line.strip()}  ({why})")
    if graph:
        for (a, b), n in sorted(edges.items()):
            if a != b:
                print(f"{a} -> {b} ({n})")
    for line in faults:
        print(line)
    for source, written in sorted(allowed - used):
        print(f"note: exception no longer needed: {source} {written}")
    if faults:
        print(f"{len(faults)} fault(s) in the layering", file=sys.stderr)
    return 1 if faults else 0


def graph_folder(path):
    parts = path.split("/")
    if is_test(path):
        return parts[0] if parts[0] in ANYTHING else "/".join(parts[:parts.index("tests") + 1])
    if parts[0] == "platform":
        return "platform/*.h" if len(parts) == 2 else "platform/" + parts[1]
    if parts[0] == "examples" and len(parts) > 2:
        return "/".join(parts[:2])
    return parts[0]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--exceptions", default=None,
                        help="known violations, one 'file header' a line (default: the root's scripts/layering-exceptions.txt)")
    parser.add_argument("--graph", action="store_true", help="print the folder include graph")
    args = parser.parse_args()
    exceptions = args.exceptions if args.exceptions is not None else \
        os.path.join(args.root, "scripts", "layering-exceptions.txt")
    return check(args.root, exceptions, args.graph)


if __name__ == "__main__":
    sys.exit(main())
