"""What the portability checks read from a PE program, through pefile: the parsed image, its
imports as {DLL: [functions]} and its resources as {(type, name, language): bytes}. Works on 32-
and 64-bit images, desktop and Windows CE alike.
"""

import pefile

MACHINE_ARM = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_ARM"]
SUBSYSTEM_WINDOWS_CE_GUI = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_CE_GUI"]
DYNAMIC_BASE = pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"]
NX_COMPAT = pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"]


class PeError(Exception):
    """The file is not a PE image."""


def open_image(path):
    """The image with its import and resource directories parsed; PeError when it is no PE."""
    try:
        image = pefile.PE(str(path), fast_load=True)
        image.parse_data_directories(directories=[
            pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"],
            pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    except pefile.PEFormatError as error:
        raise PeError(f"{path}: not a PE program ({error.value})") from None
    return image


def imports(image):
    """{DLL name: [function names, '#ordinal' for imports by number]}, the functions of every
    descriptor that names the DLL."""
    found = {}
    for entry in getattr(image, "DIRECTORY_ENTRY_IMPORT", []):
        found.setdefault(entry.dll.decode("ascii"), []).extend(
            function.name.decode("ascii") if function.name else f"#{function.ordinal}"
            for function in entry.imports)
    return found


def resources(image):
    """{(type, name, language): bytes}; numbered entries as ints, named ones as text."""
    found = {}

    def walk(directory, path):
        for entry in directory.entries:
            key = path + (str(entry.name) if entry.name is not None else entry.id,)
            if hasattr(entry, "directory"):
                walk(entry.directory, key)
            else:
                found[key] = image.get_data(entry.data.struct.OffsetToData, entry.data.struct.Size)

    if hasattr(image, "DIRECTORY_ENTRY_RESOURCE"):
        walk(image.DIRECTORY_ENTRY_RESOURCE, ())
    return found
