#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The translation template is up to date with the desktop program's sources:
# lupdate collects the texts of src/ui afresh, and every one of them must be
# in translations/vorella.ts, with no text there that the sources lost. The
# German sample translates the menus, the caller's fields and the dialogs
# added since it was begun (greeting recorder, diagnostics, SIP accounts,
# the adapter's fields).
#
# usage: translation_template_test.py LUPDATE SOURCE_DIR
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path


def texts(ts_path):
    """(context, source) of every message of a .ts file, with whether it is
    translated (neither unfinished nor empty)."""
    out = {}
    for context in ET.parse(ts_path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            done = (translation is not None and translation.get("type") not in
                    ("unfinished", "vanished", "obsolete") and (translation.text or ""))
            out[(name, message.findtext("source"))] = bool(done)
    return out


# What the German sample must translate whole.
GERMAN_CONTEXTS = {"CMainMenu", "TrayMenu", "CCallerPanel", "CRecGreetDlg", "CDiagnosticsDlg",
                   "CSipAccountsDlg", "CAdapterFields", "CAdapterPage"}


def main():
    lupdate, source_dir = sys.argv[1], Path(sys.argv[2])
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        fresh = Path(tmp) / "fresh.ts"
        subprocess.run([lupdate, "-silent", "-recursive", "-no-obsolete", "-locations", "none",
                        str(source_dir / "src" / "ui"), "-ts", str(fresh)], check=True)
        wanted = set(texts(fresh))
    template = set(texts(source_dir / "translations" / "vorella.ts"))
    for context, source in sorted(wanted - template):
        problems.append(f"missing from the template: {context}: {source!r}")
    for context, source in sorted(template - wanted):
        problems.append(f"no longer in the sources: {context}: {source!r}")

    german = texts(source_dir / "translations" / "vorella_de.ts")
    for (context, source), done in sorted(german.items()):
        if context in GERMAN_CONTEXTS and not done:
            problems.append(f"no German translation: {context}: {source!r}")

    for p in problems:
        print(p)
    if problems:
        print("bring the template up to date: cmake --build BUILD --target vorella_ts")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
