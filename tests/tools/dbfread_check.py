#!/usr/bin/python3
"""Reads tables that telbase made with an independent reader, Debian's python3-dbfread.

Usage: dbfread_check.py TELBASE CSV_FIXTURE
Exit status 0 when dbfread sees exactly the entries that went in.
"""
import csv
import io
import os
import subprocess
import sys
import tempfile

from dbfread import DBF

FIELDS = [("FIO", "C", 60, 0), ("OTDEL", "C", 60, 0), ("DOLJ", "C", 50, 0), ("KAB", "N", 6, 0),
          ("NVNUTR", "N", 6, 0), ("NGOROD", "N", 11, 0), ("NSOT", "C", 20, 0)]
LANGUAGE_DRIVER_1251 = 0xC9


def telbase(exe, folder, *args):
    result = subprocess.run([exe, *args], cwd=folder, capture_output=True)
    if result.returncode != 0:
        sys.exit("telbase %s failed: %s" % (" ".join(args), result.stderr.decode()))
    return result.stdout


def expected_from_csv(text):
    """Rows of a CSV text as dbfread gives them: text without trailing blanks, numbers as int."""
    rows = []
    for row in csv.DictReader(io.StringIO(text, newline="")):
        entry = {}
        for name, ftype, _, _ in FIELDS:
            value = row.get(name, "")
            if ftype == "N":
                entry[name] = int(value) if value.strip() else None
            else:
                entry[name] = value.rstrip(" ")
        rows.append(entry)
    return rows


def check_table(path, expected, what):
    table = DBF(path, char_decode_errors="strict")
    failures = []
    if table.header.language_driver != LANGUAGE_DRIVER_1251:
        failures.append("language driver 0x%02X" % table.header.language_driver)
    got_fields = [(f.name, f.type, f.length, f.decimal_count) for f in table.fields]
    if got_fields != FIELDS:
        failures.append("fields %r" % got_fields)
    if table.header.recordlen != 214:
        failures.append("record length %d" % table.header.recordlen)
    records = [dict(r) for r in table]
    if len(records) != len(expected):
        failures.append("%d records, expected %d" % (len(records), len(expected)))
    for i, (got, want) in enumerate(zip(records, expected)):
        if got != want:
            failures.append("record %d: %r, expected %r" % (i + 1, got, want))
            break
    for f in failures:
        print("%s: %s" % (what, f))
    return not failures


def main():
    exe, fixture = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with open(fixture, encoding="utf-8", newline="") as f:
        fixture_text = f.read()
    ok = True
    with tempfile.TemporaryDirectory() as folder:
        telbase(exe, folder, "create", "T.dbf")
        telbase(exe, folder, "import", "T.dbf", fixture)
        ok &= check_table(folder + "/T.dbf", expected_from_csv(fixture_text), "imported fixture")

        telbase(exe, folder, "demo", "D.dbf", "--entries", "500")
        exported = telbase(exe, folder, "export", "D.dbf").decode("utf-8")
        ok &= check_table(folder + "/D.dbf", expected_from_csv(exported), "demo table")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
