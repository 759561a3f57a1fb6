#!/usr/bin/python3
"""Writes the seed corpora of the record-file fuzz targets: small record,
index and memo files built from the format's layout (no sample file is
copied). Run from anywhere: /usr/bin/python3 make_seeds.py"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
BLOCK = 512


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, name), 'wb') as f:
        f.write(data)


def dbf(fields, records, version=0x03, deleted=()):
    """fields: (name, type, length, decimals); records: tuples of text."""
    reclen = 1 + sum(f[2] for f in fields)
    hdrlen = 34 + 32 * len(fields)
    out = bytearray(struct.pack('<BBBBIHH20x', version, 126, 1, 2, len(records), hdrlen, reclen))
    for name, typ, length, dec in fields:
        out += struct.pack('<11sc4xBB14x', name.encode(), typ.encode(), length, dec)
    out += b'\x0d\x00'
    for i, rec in enumerate(records):
        out += b'*' if i in deleted else b' '
        for (name, typ, length, dec), value in zip(fields, rec):
            v = value.encode('latin-1')
            out += (v.rjust(length) if typ == 'N' else v.ljust(length))[:length]
    out += b'\x1a'
    return bytes(out)


def ndx(keylen, numeric, nodes, root, expression=b'NAME'):
    """nodes: {block: (entries, last_child)}; entries: (child, record, key)."""
    entry = keylen + 8
    nxt = max(nodes) + 1
    head = bytearray(BLOCK)
    struct.pack_into('<IIIHHHH', head, 0, root, nxt, 0, keylen, 504 // entry, 1 if numeric else 0, entry)
    head[24:24 + len(expression)] = expression
    blocks = [bytes(head)]
    for b in range(1, nxt):
        node = bytearray(BLOCK)
        entries, last = nodes.get(b, ([], None))
        struct.pack_into('<I', node, 0, len(entries))
        at = 4
        for child, record, key in entries:
            struct.pack_into('<II', node, at, child, record)
            node[at + 8:at + 8 + keylen] = key
            at += entry
        if last is not None:
            struct.pack_into('<II', node, at, last, 0)
        blocks.append(bytes(node))
    return b''.join(blocks)


def ckey(text, n=10):
    return text.encode().ljust(n)


def dkey(v):
    return struct.pack('<d', v)


def memo(texts):
    """Each text in its own run of blocks, ended by two 0x1A."""
    blocks = [bytearray(BLOCK)]
    for t in texts:
        body = t + b'\x1a\x1a'
        n = (len(body) + BLOCK - 1) // BLOCK
        body = body.ljust(n * BLOCK, b'\x00')
        for k in range(n):
            blocks.append(bytearray(body[k * BLOCK:(k + 1) * BLOCK]))
    struct.pack_into('<I', blocks[0], 0, len(blocks))
    return b''.join(bytes(b) for b in blocks)


fields = [('NAME', 'C', 10, 0), ('AMOUNT', 'N', 8, 2), ('WHEN', 'D', 8, 0), ('OK', 'L', 1, 0), ('NOTE', 'M', 10, 0)]
rows = [('alpha', '12.50', '19990131', 'T', '         1'),
        ('beta', '-3.00', '20260101', 'F', '          '),
        ('gamma', '', '', '?', '         2')]
write('dbf_corpus', 'fields.dbf', dbf(fields, rows, version=0x83, deleted={1}))
write('dbf_corpus', 'empty.dbf', dbf([('A', 'C', 1, 0)], []))
write('dbf_corpus', 'wide.dbf', dbf([('TEXT', 'C', 254, 0), ('N', 'N', 20, 5)], [('x' * 254, '3.14159')]))

one_leaf = {1: ([(0, r, ckey(k)) for r, k in enumerate(['ALPHA', 'BETA', 'DELTA', 'GAMMA', 'ZETA'], 1)], None)}
write('ndx_corpus', 'leaf.ndx', ndx(10, False, one_leaf, 1))
write('ndx_corpus', 'empty.ndx', ndx(10, False, {1: ([], None)}, 1))
two_levels = {
    1: ([(2, 2, ckey('BETA'))], 3),
    2: ([(0, 1, ckey('ALPHA')), (0, 2, ckey('BETA'))], None),
    3: ([(0, 3, ckey('DELTA')), (0, 4, ckey('GAMMA')), (0, 9, ckey('ZETA'))], None),
}
write('ndx_corpus', 'two_levels.ndx', ndx(10, False, two_levels, 1))
numeric = {1: ([(0, r, dkey(v)) for r, v in enumerate([-2.5, 0.0, 1.0, 36526.0], 1)], None)}
write('ndx_corpus', 'numeric.ndx', ndx(8, True, numeric, 1, b'AMOUNT'))

write('memo_corpus', 'two_memos.dbt', memo([b'first memo\x8d\x0asecond line', b'y' * 700]))
write('memo_corpus', 'empty.dbt', memo([]))
write('memo_corpus', 'latin1.dbt', memo([bytes(range(0x20, 0x100))]))
