#!/usr/bin/env python3
"""Prints what a workbook holds, one fact per line, for the workbook tests.

    xlsx_dump.py FILE.xlsx

Lines (fields separated by tabs):
    sheet   NAME
    cell    A1  TYPE  VALUE  format=..  font=..  size=..  bold=0|1  fill=RRGGBB|-  align=..  border=thin|-
    merge   B7:C7
    width   A  12
    page    paper|orientation|print_area|print_title_rows|fit_width  VALUE
    margin  left|right|top|bottom|header  VALUE
    header  TEXT    (the raw header text of the file)
TYPE is s (text), n (number) or d (date, VALUE yyyy-mm-dd).
"""
import datetime
import re
import sys
import zipfile

import openpyxl
from openpyxl.worksheet.worksheet import Worksheet

# openpyxl replaces the covered cells of a merged block by style-less stand-ins;
# keep the cells as the file holds them.
Worksheet._clean_merge_range = lambda self, mcr: None


def colour(fill):
    if fill is None or fill.fill_type != "solid":
        return "-"
    rgb = fill.fgColor.rgb if isinstance(fill.fgColor.rgb, str) else "-"
    return rgb[-6:] if rgb != "-" else "-"


def main(path):
    wb = openpyxl.load_workbook(path)
    ws = wb.worksheets[0]
    out = [f"sheet\t{ws.title}"]
    for row in ws.iter_rows():
        for c in row:
            if c.value is None and c.style_id == 0:
                continue
            v = c.value
            if isinstance(v, datetime.datetime):
                kind, text = "d", v.strftime("%Y-%m-%d")
            elif isinstance(v, (int, float)):
                kind, text = "n", repr(float(v))
            elif v is None:
                kind, text = "-", ""
            else:
                kind, text = "s", str(v)
            b = c.border
            border = "thin" if all(s is not None and s.style == "thin" for s in (b.left, b.right, b.top, b.bottom)) else "-"
            out.append("\t".join([
                "cell", c.coordinate, kind, text,
                f"format={c.number_format}",
                f"font={c.font.name}", f"size={c.font.sz:g}", f"bold={int(bool(c.font.b))}",
                f"fill={colour(c.fill)}",
                f"align={c.alignment.horizontal or 'general'}",
                f"border={border}",
            ]))
    for m in ws.merged_cells.ranges:
        out.append(f"merge\t{m.coord}")
    for letter, dim in sorted(ws.column_dimensions.items()):
        if dim.width:
            out.append(f"width\t{letter}\t{dim.width:g}")
    ps = ws.page_setup
    out.append(f"page\tpaper\t{ps.paperSize}")
    out.append(f"page\torientation\t{ps.orientation}")
    out.append(f"page\tprint_area\t{ws.print_area}")
    out.append(f"page\tprint_title_rows\t{ws.print_title_rows}")
    fit = ws.sheet_properties.pageSetUpPr
    out.append(f"page\tfit_width\t{(ps.fitToWidth or 1) if fit is not None and fit.fitToPage else '-'}")
    pm = ws.page_margins
    for k in ("left", "right", "top", "bottom", "header"):
        out.append(f"margin\t{k}\t{getattr(pm, k):g}")
    # The header as the file holds it (openpyxl splits it into parts).
    with zipfile.ZipFile(path) as z:
        xml = z.read("xl/worksheets/sheet1.xml").decode("utf-8")
    m = re.search(r"<oddHeader>(.*?)</oddHeader>", xml, re.S)
    if m:
        text = m.group(1).replace("&amp;", "&").replace("&quot;", '"').replace("&lt;", "<").replace("&gt;", ">")
        out.append(f"header\t{text}")
    print("\n".join(out))


if __name__ == "__main__":
    main(sys.argv[1])
