#!/usr/bin/env python3
"""Writes the two archives the listing benchmark reads: a ZIP and a .tar.gz of many small files.

usage: make-archives.py FOLDER [COUNT]
The files are spread over folders of 1000 so that both folder and file entries are listed.
"""
import io
import sys
import tarfile
import time
import zipfile


def names(count):
    for i in range(count):
        yield f"set{i // 1000:03d}/file{i:06d}.txt"


def content(i):
    return f"entry {i}\n".encode()


def make_zip(path, count):
    with zipfile.ZipFile(path, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=1) as archive:
        for i, name in enumerate(names(count)):
            archive.writestr(name, content(i))


def make_tgz(path, count):
    now = int(time.time())
    with tarfile.open(path, "w:gz", compresslevel=1) as archive:
        for i, name in enumerate(names(count)):
            data = content(i)
            info = tarfile.TarInfo(name)
            info.size = len(data)
            info.mtime = now
            archive.addfile(info, io.BytesIO(data))


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) == 3 else 100_000
    make_zip(f"{folder}/many.zip", count)
    make_tgz(f"{folder}/many.tar.gz", count)


if __name__ == "__main__":
    main()
