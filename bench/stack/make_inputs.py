#!/usr/bin/python3
"""Writes the benchmark's input tables: two sheets of ROWS x 10 cells each, mixed texts,
formatted numbers, currencies, percentages and dates, and the second again with its columns in
reverse order, as flat XML, and lets the office turn them into .ods files (so the files are
what users have). Usage: make_inputs.py FOLDER ROWS"""

import random
import subprocess
import sys
import tempfile
from pathlib import Path
from xml.sax.saxutils import escape

COLUMNS = 10

STYLES = """
 <office:automatic-styles>
  <number:number-style style:name="N1" number:language="en" number:country="US">
   <number:number number:decimal-places="2" number:min-decimal-places="2"
    number:min-integer-digits="1" number:grouping="true"/>
  </number:number-style>
  <number:number-style style:name="N2" number:language="en" number:country="US">
   <number:number number:decimal-places="3" number:min-decimal-places="3"
    number:min-integer-digits="1"/>
  </number:number-style>
  <number:percentage-style style:name="P1" number:language="en" number:country="US">
   <number:number number:decimal-places="1" number:min-decimal-places="1"
    number:min-integer-digits="1"/><number:text>%</number:text>
  </number:percentage-style>
  <number:currency-style style:name="C1" number:language="en" number:country="US">
   <number:currency-symbol number:language="en" number:country="US">$</number:currency-symbol>
   <number:number number:decimal-places="2" number:min-decimal-places="2"
    number:min-integer-digits="1" number:grouping="true"/>
  </number:currency-style>
  <number:date-style style:name="D1" number:language="en" number:country="US">
   <number:year number:style="long"/><number:text>-</number:text>
   <number:month number:style="long"/><number:text>-</number:text>
   <number:day number:style="long"/>
  </number:date-style>
  <number:date-style style:name="D2" number:language="en" number:country="US">
   <number:month number:style="long"/><number:text>/</number:text>
   <number:day number:style="long"/><number:text>/</number:text>
   <number:year number:style="long"/>
  </number:date-style>
  <style:style style:name="ce1" style:family="table-cell" style:data-style-name="N1"/>
  <style:style style:name="ce2" style:family="table-cell" style:data-style-name="N2"/>
  <style:style style:name="ce3" style:family="table-cell" style:data-style-name="P1"/>
  <style:style style:name="ce4" style:family="table-cell" style:data-style-name="C1"/>
  <style:style style:name="ce5" style:family="table-cell" style:data-style-name="D1"/>
  <style:style style:name="ce6" style:family="table-cell" style:data-style-name="D2"/>
 </office:automatic-styles>
"""

WORDS = ("apple pear plum fig north south east west alpha beta gamma delta red green blue "
         "Zoë Ørsted Müller 東京 café, \"quoted\" naïve straße").split(" ")


def text_cell(text):
    return ('<table:table-cell office:value-type="string"><text:p>%s</text:p>'
            '</table:table-cell>' % escape(text))


def float_cell(value, style=None):
    style_attribute = ' table:style-name="%s"' % style if style else ""
    return ('<table:table-cell%s office:value-type="float" office:value="%r"/>'
            % (style_attribute, value))


def row_cells(rng, row):
    day = 1 + rng.randrange(28)
    month = 1 + rng.randrange(12)
    year = 1950 + rng.randrange(75)
    date = "%04d-%02d-%02d" % (year, month, day)
    words = " ".join(rng.choice(WORDS) for _ in range(1 + rng.randrange(3)))
    return [
        float_cell(row),
        text_cell(words),
        '<table:table-cell table:style-name="ce5" office:value-type="date" '
        'office:date-value="%s"/>' % date,
        float_cell(round(rng.uniform(-50000, 250000), 2), "ce1"),
        '<table:table-cell table:style-name="ce3" office:value-type="percentage" '
        'office:value="%r"/>' % round(rng.random(), 4),
        text_cell(rng.choice(WORDS).upper()),
        '<table:table-cell table:style-name="ce6" office:value-type="date" '
        'office:date-value="%s"/>' % date,
        '<table:table-cell table:style-name="ce4" office:value-type="currency" '
        'office:currency="USD" office:value="%r"/>' % round(rng.uniform(0, 9999), 2),
        float_cell(round(rng.uniform(0, 100), 3), "ce2"),
        text_cell("note %d" % rng.randrange(1000000)),
    ]


def write_flat(path, rows, seed, order=range(COLUMNS)):
    """Table `seed` of the benchmark, its columns in `order` (the same cells for any order)."""
    rng = random.Random(seed)
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n<office:document '
                  'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                  'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
                  'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
                  'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
                  'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
                  'office:version="1.3" '
                  'office:mimetype="application/vnd.oasis.opendocument.spreadsheet">')
        out.write(STYLES)
        out.write('<office:body><office:spreadsheet><table:table table:name="Data">\n')
        header = ["Id", "Words", "Date", "Amount", "Share", "Tag", "US date", "Price",
                  "Measure", "Note"]
        out.write("<table:table-row>%s</table:table-row>\n"
                  % "".join(text_cell(header[c]) for c in order))
        for row in range(1, rows):
            cells = row_cells(rng, row)
            out.write("<table:table-row>%s</table:table-row>\n" % "".join(cells[c] for c in order))
        out.write("</table:table></office:spreadsheet></office:body></office:document>\n")


def main():
    folder = Path(sys.argv[1])
    rows = int(sys.argv[2])
    folder.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        sources = []
        for number in (1, 2):
            source = Path(work) / ("table%d.fods" % number)
            write_flat(source, rows, seed=rows * 10 + number)
            sources.append(str(source))
        # Table 2 again, its columns in reverse order, for the stack that matches them by name.
        reordered = Path(work) / "table2-reordered.fods"
        write_flat(reordered, rows, seed=rows * 10 + 2, order=range(COLUMNS - 1, -1, -1))
        sources.append(str(reordered))
        subprocess.run(["soffice", "-env:UserInstallation=file://%s/profile" % work,
                        "--headless", "--norestore", "--convert-to", "ods", "--outdir",
                        str(folder)] + sources, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
