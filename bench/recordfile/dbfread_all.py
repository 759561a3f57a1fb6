#!/usr/bin/python3
"""Reads every record of a record file with the independent reader
(python3-dbfread, raw field bytes): the reference beside the library."""
import sys

from dbfread import DBF

count = 0
for _ in DBF(sys.argv[1], raw=True):
    count += 1
if len(sys.argv) > 2 and count != int(sys.argv[2]):
    sys.exit("read %d records, expected %s" % (count, sys.argv[2]))
