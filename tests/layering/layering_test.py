#!/usr/bin/env python3
"""The layering check on a small planted tree: clean it passes; each planted
include that breaks a rule fails it, named by file:line and the include; an
exception line lets a known one pass; a backend link the check's table does
not know fails it.

  layering_test.py <path to check_layering.py>
"""
import os
import subprocess
import sys
import tempfile

CLEAN = {
    "CMakeLists.txt": "agendor_package_library(agendor_core COMPONENT core\n"
                      "  HEADERS control/agendor.h control/instance.h platform/grid.h core/date_time.h)\n"
                      "agendor_package_library(agendor_qt COMPONENT qt HEADERS platform/qt/widget.h REQUIRES core)\n",
    "core/date_time.h": "#include <chrono>\n#include \"agendor/core_export.h\"\n",
    "core/conventions.h": "#include \"agendor/core/date_time.h\"\n#include \"agendor/platform/grid.h\"\n",
    "platform/grid.h": "#include <string>\n#include \"agendor/core/date_time.h\"\n",
    "control/agendor.h": "#include \"agendor/platform/grid.h\"\n",
    "control/instance.h": "#include \"agendor/control/agendor.h\"\n",
    "data/loaders.h": "#include \"agendor/control/instance.h\"\n",
    "data/loaders.cpp": "#include \"agendor/data/loaders.h\"\n#include \"agendor/core/conventions.h\"\n",
    "platform/ical/ics.h": "#include <libical/ical.h>\n#include \"agendor/core/date_time.h\"\n",
    "platform/sqlite/db.h": "#include <sqlite3.h>\n",
    "platform/qt/widget.h": "#include <QWidget>\n#include \"agendor/platform/grid.h\"\n",
    "platform/qt/widget.cpp": "#include \"agendor/platform/qt/widget.h\"\n#include \"agendor/platform/ical/ics.h\"\n",
    "platform/qt/tests/widget_test.cpp": "#include \"agendor/control/instance.h\"\n",
    "demo/window.h": "#include \"agendor/control/agendor.h\"\n",
    "demo/main.cpp": "#include \"demo/window.h\"\n#include \"agendor/platform/qt/widget.h\"\n#include \"agendor/qt_export.h\"\n",
    "examples/host/main.cpp": "#include \"agendor/control/agendor.h\"\n",
    "bench/bench.cpp": "#include \"agendor/data/loaders.h\"\n",
}

# name, file, the planted include (appended as the file's next line).
PLANTED = [
    ("core into a core folder", "core/conventions.h", '#include "agendor/control/agendor.h"'),
    ("core takes a library", "core/date_time.h", "#include <QString>"),
    ("interface into the core's inside", "platform/grid.h", '#include "agendor/core/conventions.h"'),
    ("core folder into a backend", "data/loaders.cpp", '#include "agendor/platform/qt/widget.h"'),
    ("backend into a core folder", "platform/qt/widget.cpp", '#include "agendor/data/loaders.h"'),
    ("backend into one it does not link", "platform/qt/widget.cpp", '#include "agendor/platform/sqlite/db.h"'),
    ("host into the instance", "demo/window.h", '#include "agendor/control/instance.h"'),
    ("host into a header not installed", "examples/host/main.cpp", '#include "agendor/platform/ical/ics.h"'),
    ("host into another host", "examples/host/main.cpp", '#include "demo/window.h"'),
]


def plant(root, extra=None):
    for path, text in CLEAN.items():
        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(root, path), "w") as f:
            f.write(text + (extra[1] + "\n" if extra and extra[0] == path else ""))


def run(check, root, exceptions=""):
    with open(os.path.join(root, "exceptions.txt"), "w") as f:
        f.write(exceptions)
    done = subprocess.run([sys.executable, check, "--root", root, "--exceptions", os.path.join(root, "exceptions.txt")],
                          capture_output=True, text=True)
    return done.returncode, done.stdout


def main():
    check = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as root:
        plant(root)
        rc, out = run(check, root)
        if rc != 0:
            failures.append(f"clean tree: exit {rc}\n{out}")
        for name, path, include in PLANTED:
            with tempfile.TemporaryDirectory() as planted:
                plant(planted, (path, include))
                line = CLEAN[path].count("\n") + 1
                rc, out = run(check, planted)
                if rc != 1 or f"{path}:{line}: {include}" not in out:
                    failures.append(f"{name}: exit {rc}, expected {path}:{line}: {include}\n{out}")
                written = include.split()[1].strip('"<>')
                rc, out = run(check, planted, f"# known\n{path} {written}\n")
                if rc != 0:
                    failures.append(f"{name} listed as an exception: exit {rc}\n{out}")
        # A backend that links another than the check's table says.
        with tempfile.TemporaryDirectory() as planted:
            plant(planted, ("CMakeLists.txt", "target_link_libraries(agendor_qt PUBLIC agendor::core agendor::sqlite)"))
            rc, out = run(check, planted)
            if rc != 1 or "BACKEND_LINKS['qt'] is ['ical'], CMake links ['sqlite']" not in out:
                failures.append(f"link table: exit {rc}\n{out}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
