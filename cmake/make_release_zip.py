#!/usr/bin/env python3
"""Writes the release zip: make_release_zip.py OUT.zip NAME=PATH...

Each NAME=PATH puts the file PATH into the zip as NAME, or the folder PATH with
everything under it as NAME/. Empty arguments are skipped (an optional part that isn't
built). Entries are in the given order, folders walked in name order, and every entry
gets the same fixed time and modes, so a zip of the same files has the same bytes.
"""
import os
import sys
import zipfile

FIXED_TIME = (2000, 1, 1, 0, 0, 0)


def entry(name, is_dir):
    info = zipfile.ZipInfo(name + ("/" if is_dir else ""), FIXED_TIME)
    info.create_system = 3  # Unix, so the modes below mean what they say
    info.external_attr = ((0o40755 if is_dir else 0o100644) << 16) | (0x10 if is_dir else 0)
    info.compress_type = zipfile.ZIP_STORED if is_dir else zipfile.ZIP_DEFLATED
    return info


def add(archive, name, path):
    if os.path.isdir(path):
        archive.writestr(entry(name, True), b"")
        for child in sorted(os.listdir(path)):
            add(archive, name + "/" + child, os.path.join(path, child))
    else:
        with open(path, "rb") as f:
            archive.writestr(entry(name, False), f.read(), compresslevel=9)


def main(out, parts):
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    temporary = out + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for part in filter(None, parts):
            name, _, path = part.partition("=")
            if not name or not os.path.exists(path):
                sys.exit(f"make_release_zip: nothing at {path!r} for {name!r}")
            add(archive, name, path)
    os.replace(temporary, out)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])
