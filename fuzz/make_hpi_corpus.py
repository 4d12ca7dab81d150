#!/usr/bin/env python3
"""Writes the seed archives of fuzz_hpi into fuzz/corpus/fuzz_hpi: small archives
of each form (whole files, zlib and LZ77 chunks, obfuscated payloads, nested and
unsorted folders, encryption), laid out as the archive format says."""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fuzz_hpi")


def lz77(data):
    """Literals, with one back reference where a byte repeats the one before."""
    out, items = bytearray(), []
    k = 0
    while k < len(data):
        if k >= 1 and k + 2 <= len(data) and data[k] == data[k - 1] and data[k + 1] == data[k - 1]:
            n = 2
            while n < 17 and k + n < len(data) and data[k + n] == data[k - 1]:
                n += 1
            # output byte k - 1 lies at window position k (the write position starts at 1)
            items.append((True, struct.pack("<H", (k % 4096) << 4 | (n - 2))))
            k += n
        else:
            items.append((False, bytes([data[k]])))
            k += 1
    items.append((True, b"\0\0"))
    for g in range(0, len(items), 8):
        group = items[g:g + 8]
        out.append(sum(1 << i for i, (ref, _) in enumerate(group) if ref))
        for _, b in group:
            out += b
    return bytes(out)


def chunk(piece, compression, obfuscated):
    payload = {0: piece, 1: lz77(piece), 2: zlib.compress(piece)}[compression]
    if obfuscated:
        payload = bytes(((b ^ (i & 255)) + (i & 255)) & 255 for i, b in enumerate(payload))
    return b"SQSH" + bytes([2, compression, obfuscated]) + struct.pack("<III", len(payload), len(piece),
                                                                         sum(payload) & 0xFFFFFFFF) + payload


def archive(files, key=0):
    """files: (path, bytes, storage, compression, obfuscated), in directory order."""
    tree = {}
    for i, (path, *_rest) in enumerate(files):
        node = tree
        parts = path.split("\\")
        for p in parts[:-1]:
            node = node.setdefault(p, {})
        node[parts[-1]] = i
    block, records = bytearray(), {}

    def reserve(n):
        at = len(block)
        block.extend(bytes(n))
        return at

    def directory(node):
        record = reserve(8)
        entries = reserve(9 * len(node))
        struct.pack_into("<II", block, record, len(node), 20 + entries)
        for i, (name, child) in enumerate(node.items()):
            name_at = len(block)
            block.extend(name.encode("latin-1") + b"\0")
            if isinstance(child, dict):
                data = directory(child)
            else:
                data = reserve(9)
                records[child] = data
            struct.pack_into("<IIB", block, entries + 9 * i, 20 + name_at, 20 + data, isinstance(child, dict))
        return record

    directory(tree)
    body = bytearray()
    start = 20 + len(block)
    for i, (path, data, storage, compression, obfuscated) in enumerate(files):
        offset = start + len(body)
        struct.pack_into("<IIB", block, records[i], offset, len(data), storage)
        if storage == 0:
            body += data
            continue
        chunks = [chunk(data[c:c + 65536], compression, obfuscated) for c in range(0, len(data), 65536)]
        body += b"".join(struct.pack("<I", len(c)) for c in chunks) + b"".join(chunks)
    out = bytearray(b"HAPI" + struct.pack("<IIII", 0x10000, start, key, 20) + block + body)
    if key:
        k = key & 255
        t = ((k << 2) | (k >> 6)) & 255
        for p in range(20, len(out)):
            out[p] ^= (p & 255) ^ t
    return bytes(out)


GAF = struct.pack("<III", 0x00010100, 0, 0)
SEEDS = {
    "stored": archive([("readme.txt", b"hello", 0, 0, 0)]),
    "zlib": archive([("textures\\tank.gaf", GAF + bytes(200), 2, 2, 0)]),
    "lz77": archive([("units\\a\\b.gaf", GAF + b"abcabcabc" + bytes(40), 1, 1, 0)]),
    "obfuscated": archive([("x", b"0123456789" * 8, 1, 1, 1), ("y", b"qq" * 30, 2, 2, 1)]),
    "raw-chunk": archive([("z", bytes(range(64)), 2, 0, 0)]),
    "unsorted": archive([("b", b"1", 0, 0, 0), ("A", b"2", 0, 0, 0), ("a", b"3", 0, 0, 0)]),
    "encrypted": archive([("e\\f.gaf", GAF + b"x" * 30, 1, 1, 0), ("g", b"plain", 0, 0, 0)], key=0xA7),
    "empty": archive([]),
    "empty-file": archive([("nothing", b"", 2, 2, 0)]),
}

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
