"""Runs each python block of a Markdown file and compares what it prints with the text
block that follows it; exits non-zero at the first difference.

Usage: PYTHONPATH=build/python /usr/bin/python3 tests/python/doc_examples.py docs/python.md
"""
import contextlib
import io
import re
import sys

BLOCK = re.compile(r"```python\n(.*?)```\n\n```text\n(.*?)```", re.S)


def main(path):
    with open(path, encoding="utf-8") as f:
        pairs = BLOCK.findall(f.read())
    if not pairs:
        sys.exit(f"{path}: no python block followed by its output")
    for number, (code, expected) in enumerate(pairs, 1):
        printed = io.StringIO()
        with contextlib.redirect_stdout(printed):
            exec(compile(code, f"{path} example {number}", "exec"), {})
        if printed.getvalue() != expected:
            sys.exit(f"{path} example {number} prints:\n{printed.getvalue()}expected:\n{expected}")
    print(f"{path}: {len(pairs)} examples print what the text shows")


main(sys.argv[1])
