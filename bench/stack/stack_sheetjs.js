// The stack with SheetJS: both tables' used ranges read as the texts SheetJS shows for them,
// rows of the second right below the first, written as CSV (RFC 4180, CR LF).
// Usage: node stack_sheetjs.js OUTPUT.csv FILE...
"use strict";
const fs = require("fs");
const XLSX = require("xlsx");

const [output, ...inputs] = process.argv.slice(2);
const rows = [];
for (const input of inputs) {
    const book = XLSX.readFile(input);
    const sheet = book.Sheets[book.SheetNames[0]];
    // raw: false gives the formatted text; the used area from A1, as the window's join reads it.
    const range = XLSX.utils.decode_range(sheet["!ref"]);
    range.s = { r: 0, c: 0 };
    for (const row of XLSX.utils.sheet_to_json(sheet, { header: 1, raw: false, defval: "",
                                                        blankrows: true, range })) {
        rows.push(row);
    }
}
const width = rows.reduce((w, r) => Math.max(w, r.length), 0);
const field = (t) => (/[",\r\n]/.test(t) ? '"' + t.replace(/"/g, '""') + '"' : t);
const out = fs.openSync(output, "w");
let chunk = [];
for (const row of rows) {
    const cells = [];
    for (let c = 0; c < width; ++c) cells.push(field(c < row.length ? String(row[c]) : ""));
    chunk.push(cells.join(","));
    if (chunk.length === 10000) {
        fs.writeSync(out, chunk.join("\r\n") + "\r\n");
        chunk = [];
    }
}
if (chunk.length) fs.writeSync(out, chunk.join("\r\n") + "\r\n");
fs.closeSync(out);
