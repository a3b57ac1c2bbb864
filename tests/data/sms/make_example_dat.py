#!/usr/bin/env python3
"""Builds example.dat from the record layout alone, independently of the C++ writer.

Root folder "SMS" > folder "Inbox" > a received message from Anna and a sent message to Bob
with one recipient: 4 node records and 1 recipient record, 6220 bytes.
"""
import struct
import sys


def text(s, units):
    raw = s.encode("utf-16-le")
    assert len(raw) < 2 * units
    return raw + b"\0" * (2 * units - len(raw))


def filetime(unix_seconds):
    return (unix_seconds + 11644473600) * 10_000_000


def node(kind, name="", message=b"", children=0):
    record = bytes([kind, 0]) + text(name, 129)
    record += message if message else b"\0" * 1240
    record += struct.pack("<i", children)
    assert len(record) == 1504
    return record


def message(body, sender_address, sender_name, delivered, modified, size, flags, recipients):
    data = text(body, 501) + text(sender_address, 51) + text(sender_name, 51) + b"\0\0"
    data += struct.pack("<QQIIiI", delivered, modified, size, flags, recipients, 0)
    assert len(data) == 1240
    return data


out = node(1, "SMS", children=1)
out += node(1, "Inbox", children=2)
out += node(0, message=message("See you at six", "Anna <+111>", "Anna", filetime(1700000000),
                               filetime(1700000060), 42, 1, 0))
out += node(0, message=message("OK", "", "", filetime(1700003600), filetime(1700003660), 7, 0, 1))
out += text("Bob", 51) + text("+222", 51)
assert len(out) == 6220
sys.stdout.buffer.write(out)
