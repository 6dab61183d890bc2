#pragma once

// Writes .ods packages and CSV files. Output goes to a new file beside the target that replaces
// the target only once it is complete, so a failed write never leaves a half-written file.

#include "ods/workbook.h"

#include <cstdio>
#include <functional>
#include <string>

namespace ods {

/// Writes the workbook as an .ods package; every cell becomes a text cell, or with a value of
/// its sheet's values() a value cell shown with the workbook's data style. content.xml is
/// produced row by row while the package is compressed, never held whole.
void writeWorkbook(const Workbook& workbook, const std::string& path);
/// The same into an open file, for a caller that keeps the file whole by its own means;
/// `label` names it in errors.
/// `stop` is asked every few hundred rows; true stops the write with Stopped.
void writeWorkbook(const Workbook& workbook, std::FILE* file, const std::string& label,
                   const std::function<bool()>& stop = {});

/// Writes the sheet's used area as UTF-8 CSV: comma separated, fields holding a comma, a quote,
/// a CR or an LF in double quotes with quotes doubled, one line (LF) per row.
void writeCsv(const Sheet& sheet, const std::string& path);

/// Appends the XML of a cell's text paragraphs, written so that the office reads back exactly
/// `text`: a paragraph per line, runs of blanks as text:s, tabs kept as characters.
void appendTextParagraphs(std::string& out, std::string_view text);

} // namespace ods
