#!/usr/bin/env python3
"""Writes a small but whole ICC display profile (version 2, RGB, matrix and tone curves of
1024 entries, about 6.7 KB) for tests and benchmarks to tag pictures with.
  make_icc_profile.py OUT [--pad BYTES] [--name TEXT]
--pad adds a private tag of that many bytes, for profiles that need several JPEG markers."""
import struct
import sys


def s15(v):
    return struct.pack('>i', int(round(v * 65536)))


def xyz(x, y, z):
    return b'XYZ \0\0\0\0' + s15(x) + s15(y) + s15(z)


def desc(text):
    t = text.encode() + b'\0'
    return b'desc\0\0\0\0' + struct.pack('>I', len(t)) + t + bytes(4 + 4 + 3 + 67)


def curve(gamma):
    n = 1024
    values = b''.join(struct.pack('>H', round(65535 * (i / (n - 1)) ** gamma)) for i in range(n))
    return b'curv\0\0\0\0' + struct.pack('>I', n) + values


def profile(name, pad):
    tags = [(b'desc', desc(name)), (b'wtpt', xyz(0.9642, 1.0, 0.8249)),
            (b'rXYZ', xyz(0.6097, 0.3111, 0.0195)), (b'gXYZ', xyz(0.2053, 0.6257, 0.0609)),
            (b'bXYZ', xyz(0.1492, 0.0632, 0.7446)), (b'rTRC', curve(2.2)),
            (b'gTRC', curve(2.2)), (b'bTRC', curve(2.2)),
            (b'cprt', b'text\0\0\0\0No copyright, test data\0')]
    if pad:
        tags.append((b'zzzz', b'zzzz\0\0\0\0' + bytes((i * 7 + 3) & 255 for i in range(pad))))
    start = 128 + 4 + 12 * len(tags)
    table, data = b'', b''
    for signature, body in tags:
        data += bytes(-(start + len(data)) % 4)
        table += signature + struct.pack('>II', start + len(data), len(body))
        data += body
    body = struct.pack('>I', len(tags)) + table + data
    body += bytes(-len(body) % 4)
    header = (struct.pack('>I', 128 + len(body)) + b'none' + bytes([2, 0x10, 0, 0]) +
              b'mntrRGB XYZ ' + bytes(12) + b'acsp' + b'APPL' + bytes(4) + b'none' + b'none' +
              bytes(8) + bytes(4) + s15(0.9642) + s15(1.0) + s15(0.8249) + b'none' + bytes(44))
    assert len(header) == 128
    return header + body


def main():
    out, pad, name = sys.argv[1], 0, 'Pixmorrow test wide RGB'
    args = sys.argv[2:]
    while args:
        option, value = args[0], args[1]
        args = args[2:]
        if option == '--pad':
            pad = int(value)
        elif option == '--name':
            name = value
    with open(out, 'wb') as f:
        f.write(profile(name, pad))


main()
