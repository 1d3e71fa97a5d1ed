"""Checks kestrel-flash --json output against schema/kestrel-flash.schema.json.

    check_json_lines.py SCHEMA            the schema itself is a valid 2020-12 schema
    check_json_lines.py SCHEMA < LINES    and every line of standard input matches it

Exit status 0 when all is well; otherwise 1, and each fault on standard error.
Run with Debian's /usr/bin/python3 (python3-jsonschema).
"""
import json
import sys

from jsonschema import Draft202012Validator


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    Draft202012Validator.check_schema(schema)
    if len(sys.argv) < 3 or sys.argv[2] != "--lines":
        return 0
    validator = Draft202012Validator(schema)
    faults = 0
    for number, line in enumerate(sys.stdin.buffer.read().split(b"\n"), 1):
        if not line:
            continue
        try:
            errors = [e.message for e in validator.iter_errors(json.loads(line))]
        except ValueError as error:
            errors = [f"not JSON: {error}"]
        for message in errors:
            faults += 1
            print(f"line {number}: {message}: {line[:200]!r}", file=sys.stderr)
    return 1 if faults else 0


sys.exit(main())
