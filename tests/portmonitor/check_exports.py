#!/usr/bin/env python3
"""Checks a port monitor library with the toolchain's objdump: it exports exactly its entry,
undecorated; it imports only system libraries (the spooler loads no MinGW runtime library); and it
calls the spooler and the message box in its form's character width.

check_exports.py OBJDUMP LIBRARY FORM     (FORM: nt or 9x)
Prints "export check passed" when everything holds."""
import re
import subprocess
import sys

# Libraries every Windows has in its system folder.
SYSTEM = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "winspool.drv", "msvcrt.dll", "ws2_32.dll", "comctl32.dll", "comdlg32.dll",
    "shlwapi.dll", "version.dll", "winmm.dll", "ntdll.dll",
}
WIDE_CALLS = ["MessageBoxW", "OpenPrinterW", "SetJobW"]
ANSI_CALLS = ["MessageBoxA", "OpenPrinterA", "SetJobA"]


def main():
    objdump, library, form = sys.argv[1], sys.argv[2], sys.argv[3].lower()
    text = subprocess.run([objdump, "-p", library], check=True, capture_output=True, text=True).stdout
    failures = []

    exports = []
    table = re.search(r"\[Ordinal/Name Pointer\] Table\n((?:\s+\[\s*\d+\] \S+\n)*)", text)
    if table:
        exports = re.findall(r"\] (\S+)", table.group(1))
    entry = "InitializeMonitorEx" if form == "9x" else "InitializePrintMonitor"
    if exports != [entry]:
        failures.append(f"exports {exports}, wanted exactly [{entry!r}]")

    imports = {}
    current = None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            current = m.group(1).lower()
            imports[current] = set()
            continue
        m = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if current and m:
            imports[current].add(m.group(1))
    if not imports:
        failures.append("no import table found")
    for dll in sorted(imports):
        if dll not in SYSTEM and not dll.startswith("api-ms-win-"):
            failures.append(f"imports the non-system library {dll}")
    names = set().union(*imports.values()) if imports else set()
    want, never = (ANSI_CALLS, WIDE_CALLS) if form == "9x" else (WIDE_CALLS, [])
    for name in want:
        if name not in names:
            failures.append(f"does not import {name}")
    for name in never:
        if name in names:
            failures.append(f"imports {name}, the wrong character width")

    print(f"{library}: exports {exports}; imports {', '.join(sorted(imports))}")
    for f in failures:
        print("FAILED:", f)
    if not failures:
        print("export check passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
