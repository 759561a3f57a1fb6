#!/usr/bin/python3
"""Writes the seeds of aldoven_database_fuzz in the decoder's terms: a shape
byte (bits 0-1 the tables: audit, history, both, a name in another case;
0x08 another table first; 0x10 a column left out; 0x20 a column added;
0x40 declared types), then rows (a header byte: the table, 0x80 a row id
of 8 bytes) of values (a kind byte: 0 null, 1 integer, 2 real, 3 text,
4 blob, 5 long text of 256-byte units, then its bytes)."""
import os
import struct
import sys


def null():
    return b"\x00"


def integer(v):
    return b"\x01" + struct.pack("<q", v)


def real(v):
    return b"\x02" + struct.pack("<d", v)


def real_bits(bits):
    return b"\x02" + struct.pack("<Q", bits)


def text(t):
    b = t.encode("utf-8") if isinstance(t, str) else t
    return b"\x03" + bytes([len(b)]) + b


def blob(b):
    return b"\x04" + bytes([len(b)]) + b


def long_text(units, char):
    """A text of `units` times 256 copies of `char`."""
    return b"\x05" + bytes([units - 1, ord(char)])


def row(table, values, rowid=None):
    head = bytes([table | (0x80 if rowid is not None else 0)])
    rid = struct.pack("<q", rowid) if rowid is not None else b""
    return head + rid + b"".join(values)


AUDIT = 9
HISTORY = 15
DATE = 45351.55  # 29 February 2024, 13:12


def audit_row(user, event, date=DATE, rowid=None):
    return row(0, [real(date), text(user), text("Name"), text("host"), text(event),
                   text("OK"), text("message"), text("context"), text("app")], rowid)


def history_row(table, change, date=DATE):
    return row(table, [real(date), text("u1"), text("User"), text("host"), text(change)] +
               [text(str(i)) for i in range(HISTORY - 5)])


seeds = {
    "audit_typed": bytes([0x40]) + audit_row("u1", "Login") + audit_row("u2", "Logout"),
    "history_typed": bytes([0x41]) + history_row(0, "Edit") + history_row(0, "Delete", 0.0),
    "both_untyped": bytes([0x02]) + audit_row("a", "b") + history_row(1, "c") +
    row(0, [null(), integer(-1), blob(b"\xff\x00\xfe"), real(1e308), text(b"\xc3\x28"),
            null(), null(), null(), null()]),
    "other_table_first": bytes([0x08 | 0x40, 5]) + b"Other" + audit_row("u", "e"),
    "columns_changed": bytes([0x30 | 0x40, 4, 5]) + b"Extra" + row(0, [real(DATE)] + [text("x")] * 9),
    "odd_values": bytes([0x40]) +
    audit_row("rowids", "negative", rowid=-5) +
    audit_row("rowids", "large", rowid=2**63 - 1) +
    audit_row("nan", "date", date=float("nan")) +
    row(0, [real_bits(0x7FF0000000000000), long_text(256, "A")] + [text("")] * 7) +
    row(0, [real(-1e9), text("x" * 255), text("y" * 200)] + [integer(2**62)] * 6),
    "case_of_names": bytes([0x43]) + audit_row("u", "e"),
}

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "database_corpus")
os.makedirs(out, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
