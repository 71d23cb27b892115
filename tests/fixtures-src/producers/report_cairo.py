#!/usr/bin/python3
# The fixture report drawn with cairo's own PDF surface, as programs built on
# cairo (GTK applications, Inkscape, Evince's print-to-file) write PDFs: one
# show_text call per line with the IPAex fonts, A4 pages.
import sys

import cairo

PAGES = [
    ["令和６年度", "○○川護岸詳細設計業務", "報告書"],
    ["目　　次", "第1章　総則･････････････････1", "1.1　業務目的･････････････1",
     "1.2　業務概要･････････････2", "第2章　設計条件･････････････3",
     "2.1　設計基準･････････････3", "2.1.1　準拠基準･･･････････3",
     "第3章　数量計算･････････････4", "END"],
    ["第1章　総則", "1.1　業務目的", "本業務は、○○川の護岸について詳細設計を行うものである。", "- 1 -"],
    ["1.2　業務概要", "業務名称：○○川護岸詳細設計業務", "- 2 -"],
    ["第2章　設計条件", "2.1　設計基準", "2.1.1　準拠基準", "河川管理施設等構造令に準拠する。", "- 3 -"],
    ["第3章　数量計算", "掘削　1,250m3", "- 4 -"],
]

A4 = (595.28, 841.89)
surface = cairo.PDFSurface(sys.argv[1], *A4)
surface.set_metadata(cairo.PDFMetadata.TITLE, "○○川護岸詳細設計業務 報告書")
context = cairo.Context(surface)
for lines in PAGES:
    y = 90.0
    for line in lines:
        folio = line.startswith("- ")
        context.select_font_face("IPAexMincho" if folio else "IPAexGothic")
        context.set_font_size(11 if folio else 13)
        context.move_to(A4[0] / 2 - 12 if folio else 72, 780 if folio else y)
        context.show_text(line)
        y += 24
    context.show_page()
surface.finish()
