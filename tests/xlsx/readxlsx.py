"""Prints a workbook as openpyxl reads it, as JSON, for tst_xlsxexport."""
import datetime
import json
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def color(c):
    if c is None or c.type != "rgb":
        return None
    return c.rgb


def cell_json(cell):
    v = cell.value
    if v is None:
        kind, value = "e", None
    elif isinstance(v, bool):
        kind, value = "b", v
    elif isinstance(v, (int, float)):
        kind, value = "n", v
    elif isinstance(v, (datetime.datetime, datetime.date)):
        kind, value = "d", v.isoformat()
    else:
        kind, value = "s", str(v)
    fill = cell.fill
    return {
        "t": kind,
        "v": value,
        "fmt": cell.number_format,
        "bold": bool(cell.font.b),
        "font": cell.font.name,
        "size": cell.font.sz,
        "color": color(cell.font.color),
        "fill": color(fill.fgColor) if fill.fill_type == "solid" else None,
        "border": cell.border.left.style,
        "borderColor": color(cell.border.left.color),
    }


def main(path):
    wb = openpyxl.load_workbook(path)
    ws = wb.worksheets[0]
    cells = {}
    for row in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=ws.max_column):
        for cell in row:
            cells[cell.coordinate] = cell_json(cell)
    # One <col> element may cover a range of columns.
    widths = {}
    for dim in ws.column_dimensions.values():
        if dim.customWidth and dim.min is not None:
            for col in range(dim.min, dim.max + 1):
                widths[get_column_letter(col)] = dim.width
    heights = {str(r): ws.row_dimensions[r].height for r in range(1, ws.max_row + 1)}
    print(json.dumps({
        "sheets": wb.sheetnames,
        "rows": ws.max_row,
        "cols": ws.max_column,
        "cells": cells,
        "widths": widths,
        "heights": heights,
        "merged": sorted(str(r) for r in ws.merged_cells.ranges),
        "freeze": ws.freeze_panes,
        "filter": ws.auto_filter.ref,
    }))


if __name__ == "__main__":
    main(sys.argv[1])
