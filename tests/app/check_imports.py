"""Reads the import table of corvane.exe (objdump -p) and fails on a library that Windows
would look for beside the executable, or on a user32 function that Windows 10 before 1607
lacks: the program would then not start there.

Usage: check_imports.py OBJDUMP EXE"""
import re
import subprocess
import sys

# KnownDLLs, which Windows takes from the system folder whatever the search order; comctl32,
# which the manifest binds to the side-by-side version 6; msvcrt.dll (MinGW's C runtime, a
# KnownDLL as well).
ALLOWED_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comdlg32.dll", "ws2_32.dll", "comctl32.dll", "msvcrt.dll",
}

# user32 functions newer than the first Windows 10 (1507): they are looked up at run time.
NEWER_USER32 = {
    # 1607
    "AdjustWindowRectExForDpi", "AreDpiAwarenessContextsEqual", "EnableNonClientDpiScaling",
    "GetAwarenessFromDpiAwarenessContext", "GetDpiForSystem", "GetDpiForWindow",
    "GetSystemMetricsForDpi", "GetThreadDpiAwarenessContext", "GetWindowDpiAwarenessContext",
    "IsValidDpiAwarenessContext", "LogicalToPhysicalPointForPerMonitorDPI",
    "PhysicalToLogicalPointForPerMonitorDPI", "SetThreadDpiAwarenessContext",
    "SystemParametersInfoForDpi",
    # 1703
    "GetDialogControlDpiChangeBehavior", "GetDialogDpiChangeBehavior",
    "SetDialogControlDpiChangeBehavior", "SetDialogDpiChangeBehavior",
    "SetProcessDpiAwarenessContext",
    # 1803
    "GetDpiAwarenessContextForProcess", "GetDpiFromDpiAwarenessContext",
    "GetSystemDpiForProcess", "GetThreadDpiHostingBehavior", "GetWindowDpiHostingBehavior",
    "SetThreadDpiHostingBehavior",
}


def imports(objdump, exe):
    """{dll name in lower case: [imported function names]} from objdump's private headers."""
    text = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    table, current = {}, None
    for line in text.splitlines():
        dll = re.search(r"DLL Name: (\S+)", line)
        if dll:
            current = table.setdefault(dll.group(1).lower(), [])
            continue
        # "\t<hint-name rva>\t <hint>  <name>"; a blank line ends the library's list.
        entry = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if current is not None and entry:
            current.append(entry.group(1))
        elif not line.strip():
            current = None
    return table


def main():
    table = imports(sys.argv[1], sys.argv[2])
    # A format objdump no longer writes as expected must not pass as "nothing imported".
    if not table.get("kernel32.dll") or not table.get("user32.dll"):
        sys.exit("no kernel32 or user32 imports read: objdump's output was not understood")
    faults = ["imports %s, which Windows would search for beside the executable" % dll
              for dll in sorted(set(table) - ALLOWED_DLLS)]
    faults += ["imports user32 %s, missing before Windows 10 1607" % name
               for name in sorted(NEWER_USER32.intersection(table["user32.dll"]))]
    print("imports: " + ", ".join(sorted(table)))
    if faults:
        sys.exit("\n".join(faults))


main()
