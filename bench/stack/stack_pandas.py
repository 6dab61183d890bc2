#!/usr/bin/python3
"""The stack with pandas and odfpy: both tables read with read_excel(engine="odf") without a
header row, concatenated row under row, written as CSV (RFC 4180, CR LF).
Usage: stack_pandas.py OUTPUT.csv FILE..."""

import sys

import pandas as pd


def main():
    output, inputs = sys.argv[1], sys.argv[2:]
    frames = [pd.read_excel(path, engine="odf", header=None, dtype=str, keep_default_na=False)
              for path in inputs]
    # Columns by position, as the window's join places them: every table from column A.
    for frame in frames:
        frame.columns = range(frame.shape[1])
    pd.concat(frames, ignore_index=True).fillna("").to_csv(
        output, header=False, index=False, lineterminator="\r\n")


if __name__ == "__main__":
    main()
