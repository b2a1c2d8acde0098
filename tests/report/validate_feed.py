#!/usr/bin/env python3
"""Validates JSON feeds against the feed's JSON Schema.

    validate_feed.py SCHEMA FEED...

Exit status 0 when the schema is a valid draft 2020-12 schema and every feed
parses as JSON and validates, 1 otherwise, 77 (skipped) without the
jsonschema module.
"""
import json
import sys

try:
    import jsonschema
except ImportError:
    print("jsonschema is not installed (python3-jsonschema)")
    sys.exit(77)


def main(argv):
    with open(argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    status = 0
    for path in argv[2:]:
        # Strict UTF-8: the feed must never need a lenient reader.
        with open(path, encoding="utf-8", errors="strict") as f:
            feed = json.load(f)
        errors = sorted(validator.iter_errors(feed), key=lambda e: list(e.path))
        for error in errors:
            print(f"{path}: {'/'.join(map(str, error.path))}: {error.message}")
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
