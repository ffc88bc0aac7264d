"""The release's third file, for installing from the PC: the Application Manager's .ini that
setup.exe hands to ActiveSync or Windows Mobile Device Center, and the archive's name.

The .ini names one component whose CabFiles is the cabinet beside it; Shift-JIS with CR LF, as
README.txt, since a Japanese PC reads it in its ANSI code page. No Uninstall entry: that names an
uninstall key on the PC, and setup.exe writes none.
"""

INI_NAME = "phs-tools.ini"
SETUP_NAME = "setup.exe"
COMPONENT = "PHSTools"
# The package's name, as the cabinet's application name, and its version.
DESCRIPTION = "PHSツール 1.0"


def ini_bytes(cabinet_name):
    lines = ["[CEAppManager]", "Version = 1.0", f"Component = {COMPONENT}", "",
             f"[{COMPONENT}]", f"Description = {DESCRIPTION}", f"CabFiles = {cabinet_name}"]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def archive_name(archive):
    """The PC setup archive's name beside the archive of the programs: its -wince-arm part (or,
    for another name, its stem) followed by -pc-setup.zip."""
    stem = archive[:-len(".zip")] if archive.endswith(".zip") else archive
    if stem.endswith("-wince-arm"):
        stem = stem[:-len("-wince-arm")]
    return f"{stem}-pc-setup.zip"
