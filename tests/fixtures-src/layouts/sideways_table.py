#!/usr/bin/python3
# A portrait A4 report whose design-condition table is too wide for the page
# and so is set sideways: the table, its caption "表-2.1　設計条件一覧" and
# its note are drawn turned 90° counter-clockwise (read by turning the sheet
# a quarter clockwise), on a page that is itself portrait and has no /Rotate.
# The page number stays upright at the foot of every page. Drawn with cairo's
# PDF surface, as programs built on cairo write it, with the IPAex fonts.
import math
import sys

import cairo

W, H = 595.28, 841.89  # A4 portrait
GOTHIC, MINCHO = "IPAexGothic", "IPAexMincho"


def text(ctx, x, y, s, size=10.5, face=MINCHO):
    ctx.select_font_face(face)
    ctx.set_font_size(size)
    ctx.move_to(x, y)
    ctx.show_text(s)


def folio(ctx, n):
    s = "- %d -" % n
    ctx.select_font_face(MINCHO)
    ctx.set_font_size(10.5)
    ctx.move_to(W / 2 - ctx.text_extents(s).x_advance / 2, H - 40)
    ctx.show_text(s)


ROWS = [
    ("項目", "記号", "設計値", "摘要"),
    ("橋長", "L", "86.000 m", "橋台前面間"),
    ("支間長", "Ls", "26.500 + 32.000 + 26.500 m", "支承中心間"),
    ("有効幅員", "W", "2.500 + 7.000 + 2.500 = 12.000 m", "歩道＋車道＋歩道"),
    ("斜角", "θ", "90°00′00″", ""),
    ("縦断勾配", "i", "1.200 %", "右岸側上り"),
    ("活荷重", "", "B活荷重", "道路橋示方書 I 共通編"),
    ("地域区分", "", "A2 地域", "地域別補正係数 cz = 1.0"),
    ("地盤種別", "", "II 種地盤", "TG = 0.38 s"),
    ("コンクリート", "σck", "40 N/mm2（上部工）、24 N/mm2（下部工）", ""),
    ("鉄筋", "", "SD345", "JIS G 3112"),
]
COLS = [110, 50, 300, 200]  # widths across the turned page (total 660)


def sideways_table(ctx):
    # Landscape frame: x runs up the sheet, y runs to the right.
    ctx.save()
    ctx.translate(0, H)
    ctx.rotate(-math.pi / 2)
    left, top, row_h = (H - sum(COLS)) / 2, 110.0, 26.0
    caption = "表-2.1　設計条件一覧"
    ctx.select_font_face(GOTHIC)
    ctx.set_font_size(12)
    text(ctx, H / 2 - ctx.text_extents(caption).x_advance / 2, top - 14, caption, 12, GOTHIC)
    ctx.set_line_width(0.6)
    for r, row in enumerate(ROWS):
        y = top + r * row_h
        x = left
        for c, cell in enumerate(row):
            ctx.rectangle(x, y, COLS[c], row_h)
            ctx.stroke()
            if cell:
                text(ctx, x + 6, y + 17, cell, 10, GOTHIC if r == 0 else MINCHO)
            x += COLS[c]
    note_y = top + len(ROWS) * row_h + 18
    text(ctx, left, note_y, "注）設計値は予備設計の結果を踏まえ、発注者との協議により決定した。", 9.5)
    ctx.restore()


surface = cairo.PDFSurface(sys.argv[1], W, H)
surface.set_metadata(cairo.PDFMetadata.TITLE, "△△橋詳細設計業務　報告書（設計条件）")
ctx = cairo.Context(surface)

text(ctx, 72, 100, "第2章　設計条件", 16, GOTHIC)
text(ctx, 72, 140, "2.1　設計基準", 12.5, GOTHIC)
text(ctx, 82, 168, "設計は、道路橋示方書・同解説（平成29年11月）および○○県土木設計マニュアル")
text(ctx, 72, 186, "に準拠して行う。")
text(ctx, 82, 204, "主な設計条件を表-2.1に示す。")
folio(ctx, 1)
ctx.show_page()

sideways_table(ctx)
folio(ctx, 2)
ctx.show_page()

text(ctx, 72, 100, "2.2　荷重条件", 12.5, GOTHIC)
text(ctx, 82, 128, "死荷重は、鉄筋コンクリートの単位体積重量を 24.5 kN/m3 として算出する。")
text(ctx, 82, 146, "活荷重はB活荷重とし、衝撃係数は道路橋示方書により求める。")
folio(ctx, 3)
ctx.show_page()
surface.finish()
