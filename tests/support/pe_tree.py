"""The resource tree of a PE file as pefile reads it, walked one way for every
test script: type, name and language entries, their keys, and their bytes.

Scripts started as programs import it with the support folder put on sys.path
relative to their own file.
"""
import pefile


def load_resources_only(path=None, data=None):
    """A PE file (by path or bytes) read with its resource directory alone."""
    pe = pefile.PE(path, data=data, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    return pe


def key(entry):
    """A type or name entry: its string when named, else its id."""
    return str(entry.name) if entry.name is not None else entry.id


def leaves(pe):
    """Yields (type entry, name entry, language entry) for every resource; none
    when the file has no resource directory."""
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        return
    for rtype in root.entries:
        for name in rtype.directory.entries if hasattr(rtype, "directory") else []:
            for lang in name.directory.entries if hasattr(name, "directory") else []:
                yield rtype, name, lang


def read_resources(pe):
    """Returns {(type, name, language): bytes} and a list of problems found on
    the way (data that does not lie wholly in the file)."""
    resources, problems = {}, []
    for rtype, name, lang in leaves(pe):
        where = (key(rtype), key(name), lang.id)
        size = lang.data.struct.Size
        data = pe.get_data(lang.data.struct.OffsetToData, size)
        if len(data) != size:
            problems.append(f"resource {where} claims {size} bytes but only {len(data)} lie in the file")
        resources[where] = data
    return resources, problems


def file_offset(pe, rtype, name):
    """Where in the file the bytes of the first resource of that type and name
    (keys as key() gives them) lie, and their size; None when there is none."""
    for t, n, lang in leaves(pe):
        if key(t) == rtype and key(n) == name:
            data = lang.data.struct
            return pe.get_offset_from_rva(data.OffsetToData), data.Size
    return None
