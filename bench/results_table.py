#!/usr/bin/env python3
"""Prints bench/results.json (or the file named) as the README's markdown table.

  results_table.py [FILE]"""
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from runner import report  # noqa: E402

path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "results.json")
with open(path) as results:
    print(report.markdown(json.load(results)))
