#!/usr/bin/env python3
"""What makes up an executable, from the GNU linker's map file (-Wl,-Map).

Sums the input sections placed in each loaded output section by where they
came from: the program's own objects, the C++ runtime (libstdc++), the MinGW
C runtime, and so on. Prints "category<TAB>bytes" lines, largest first, then the largest members
of libstdc++ as "libstdc++ member NAME<TAB>bytes".

    size_breakdown.py launcher.map
"""

import collections
import re
import sys

LOADED = {".text", ".data", ".rdata", ".pdata", ".xdata", ".tls", ".CRT",
          ".idata", ".rsrc", ".reloc"}

CATEGORIES = [
    (r"CMakeFiles/launcher\.dir|libreport_check\.a|\.rc\.res", "launcher's own code and resources"),
    (r"libstdc\+\+\.a|libsupc\+\+\.a", "C++ runtime (libstdc++)"),
    (r"libgcc_eh\.a|libgcc\.a", "compiler runtime (libgcc, unwinder)"),
    (r"libwinpthread\.a|libpthread\.a", "threads (winpthreads, for the posix thread model)"),
    (r"libmingwex\.a|libmingw32\.a|crt2\.o|crtbegin\.o|crtend\.o", "MinGW C runtime start-up and extras"),
    (r"libmsvcrt\.a|libmsvcrt-os\.a|libkernel32\.a|dll stuff", "DLL imports and msvcrt helpers"),
]

INPUT = re.compile(r"^ (\.\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
OUTPUT = re.compile(r"^(\.\S+)\s")


def category(origin):
    for pattern, name in CATEGORIES:
        if re.search(pattern, origin):
            return name
    return "other: " + origin.rsplit("/", 1)[-1]


def main(path):
    sizes = collections.Counter()
    members = collections.Counter()
    in_map = False
    section = None
    for line in open(path, encoding="utf-8", errors="replace"):
        if line.startswith("Linker script and memory map"):
            in_map = True
            continue
        if not in_map:
            continue
        match = OUTPUT.match(line)
        if match:
            section = match.group(1)
            continue
        match = INPUT.match(line)
        if match and section in LOADED:
            size, origin = int(match.group(2), 16), match.group(3).strip()
            if size == 0 or re.match(r"(LONG|QUAD|BYTE|SHORT) ", origin):
                continue  # linker script fill, not an input file
            sizes[category(origin)] += size
            member = re.search(r"libstdc\+\+\.a\((.*)\)", origin)
            if member:
                members[member.group(1)] += size
    for name, size in sizes.most_common():
        print(f"{name}\t{size}")
    for name, size in members.most_common(8):
        print(f"libstdc++ member {name}\t{size}")


if __name__ == "__main__":
    main(sys.argv[1])
