#!/usr/bin/env python3
"""compile_chm.py CHMCMD FOLDER: compiles FOLDER/Velloform.hhp with chmcmd
into FOLDER/Velloform.chm and fails on any error or warning it reports
(a file a page names but that is missing, for instance).

chmcmd does not see the anchors of pages in sub-folders and reports every
link to one as undefined; those reports are left out here. check_help.py
checks every anchor of the pages itself."""
import os
import re
import subprocess
import sys

SPURIOUS = re.compile(r"^Error: Anchor \S+#\S+ undefined; first use ")


def main(chmcmd, folder):
    chm = os.path.join(folder, "Velloform.chm")
    if os.path.exists(chm):
        os.remove(chm)
    run = subprocess.run([chmcmd, "--verbosity", "1", "Velloform.hhp"], cwd=folder, capture_output=True, text=True)
    problems = [line for line in (run.stdout + run.stderr).splitlines()
                if line.startswith(("Error", "Warning")) and not SPURIOUS.match(line)]
    for line in problems:
        print(line, file=sys.stderr)
    if run.returncode != 0 or problems or not os.path.exists(chm):
        print(f"compile_chm.py: chmcmd failed to compile {chm} (status {run.returncode})", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
