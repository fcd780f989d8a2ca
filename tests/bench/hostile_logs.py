#!/usr/bin/python3
"""Writes logs built to cost a log reader time or memory, for measuring vorn-sort by hand.

    hostile_logs.py FOLDER [SCALE]

    attributes.adx   one ADX element with 120,000 attributes per MB (SCALE MB, default 1)
    whole-input.adi  <CALL:N> whose N is the whole rest of the file (256 MB times SCALE / 1),
                     with UTF-8 text, so that a count of characters is possible
    no-eor.adi       one record without <EOR>, 200 MB times SCALE / 1 of fields
    nesting.adx      ADX elements nested inside one another, 64 MB times SCALE / 1

/dev/zero is the fifth. For example:

    /usr/bin/time -v vorn-sort -C files FOLDER/attributes.adx
"""

import os
import sys

MB = 1024 * 1024


def write_repeated(path, head, unit, size, tail=b""):
    with open(path, "wb") as out:
        out.write(head)
        block = unit * (MB // len(unit))
        written = len(head)
        while written + len(block) <= size:
            out.write(block)
            written += len(block)
        out.write(unit * ((size - written) // len(unit)))
        out.write(tail)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    folder = sys.argv[1]
    scale = float(sys.argv[2]) if len(sys.argv) == 3 else 1.0
    os.makedirs(folder, exist_ok=True)

    records = b'<?xml version="1.0"?>\n<ADX><RECORDS><RECORD>'
    count = int(120_000 * scale)
    with open(os.path.join(folder, "attributes.adx"), "wb") as out:
        out.write(records + b"<CALL")
        for i in range(count):
            out.write(b' a%d=""' % i)
        out.write(b"></CALL></RECORD></RECORDS></ADX>\n")

    size = int(256 * MB * scale)
    head = b"<CALL:%d>" % size
    write_repeated(os.path.join(folder, "whole-input.adi"), head, "Jörg ".encode(), size)

    write_repeated(os.path.join(folder, "no-eor.adi"), b"<CALL:6>DL1ABC ", b"<BAND:3>20M ",
                   int(200 * MB * scale))

    write_repeated(os.path.join(folder, "nesting.adx"), records + b"<CALL>", b"<A>",
                   int(64 * MB * scale))


if __name__ == "__main__":
    main()
