#!/usr/bin/python3
"""Reads the reports varkol-cli writes with python-docx, an independent
reader of Office Open XML documents, and checks what a reader of the report
sees: the title block, headings, OPC section, tables, page breaks, pictures
and the "Skaliran" lines; all three sections off; a template with tables of
its own; unsafe texts; a report that cannot be written; unusable templates.

usage: check_report.py VARKOL_CLI CONTROLLER_FILE WORK_DIR
"""

import json
import os
import shutil
import subprocess
import sys

import docx
from docx.enum.table import WD_TABLE_ALIGNMENT
from docx.enum.text import WD_ALIGN_PARAGRAPH
from docx.oxml.ns import qn

CLI, CONTROLLER, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
PICTURES = ["omidra0.png", "omidra_HMV.png", "omidra.png", "omidra_HU.png", "omidra1.png",
            "omidra_HY.png", "omidra2.png", "omidra_HY1.png", "omidra3.png", "omidra4.png"]
EMU_PER_PIXEL = 9525          # at 96 dpi
TEXT_WIDTH = 9072 * 635       # A4 less two 2.5 cm margins
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*args, expect=0):
    result = subprocess.run([CLI, "report", *args], capture_output=True, text=True)
    check(result.returncode == expect,
          f"report {' '.join(args)}: exit {result.returncode}, stderr {result.stderr!r}")
    return result


# Texts a user might type: markup, entities, quotes, a control character,
# non-Latin letters.
SERVER = 'Demo & <Server> "1"'
TAGS = {0: ("Loop<1>.MV & co", 'Ventil "A"\x01 Ωμέγα'), 1: ("HIDDEN.MV2", "HIDDEN description 2"),
        2: ("Loop.U", "Регулятор 温度"), 3: ("HIDDEN.U2", "HIDDEN description 4"),
        4: ("Loop.Y1", "Pretok < 5 m³/h"), 5: ("Loop.Y2", "Nivo ]]> &amp;"),
        7: ("Loop.P", ""), 8: ("Loop.I", ""), 9: ("Loop.D", ""), 10: ("Loop.RA", ""),
        11: ("Loop.Man", ""), 12: ("Loop.Auto", ""), 14: ("Outer.P", ""), 15: ("Outer.I", ""),
        16: ("Outer.D", ""), 17: ("Outer.RA", ""), 18: ("Outer.Man", ""), 19: ("Outer.Auto", "")}
STORED_ROWS = [0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19]


def settings_file(path, template="normal.dot", sections=("True", "True", "True")):
    """An experiment settings file (.vkx) of 98 lines."""
    lines = [SERVER]
    lines += [TAGS[r][0] for r in STORED_ROWS]
    lines += [TAGS[r][1] for r in STORED_ROWS]
    lines += ["1", "0", "1", "0"]
    lines += ["1", "False", "0", "10", "5", "60", "2", "False", "False", "False", "False",
              "100", "0", "1"]
    lines += ["0", "100", "0", "1", "0", "1", "10", "100", "False", "False", "0", "0",
              "1", "1", "1", "2", *sections, template]
    lines += ["12:00:00", "True", "False"] + [""] * 20
    assert len(lines) == 98
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))


def clean(text):
    return text.replace("\x01", "")


def body_texts(document):
    texts = [p.text for p in document.paragraphs]
    for table in document.tables:
        for row in table.rows:
            texts += [cell.text for cell in row.cells]
    return texts


def page_breaks(document):
    return len(document.element.body.findall(".//" + qn("w:br") + "[@" + qn("w:type") + "='page']"))


def paragraph(document, text):
    # A page break at the start of a paragraph reads as a line break.
    found = [p for p in document.paragraphs if p.text.lstrip("\n") == text]
    check(len(found) == 1, f"one paragraph {text!r}, found {len(found)}")
    return found[0] if found else None


def check_full(data, model):
    """All three sections, with the inputs of every kind."""
    folder = os.path.join(WORK, "full")
    os.makedirs(folder)
    vkx = os.path.join(folder, "loop.vkx")
    settings_file(vkx)
    # The PI type leaves the scaled D field empty.
    vkc = os.path.join(folder, "pi.vkc")
    with open(CONTROLLER, encoding="utf-8", newline="") as f:
        lines = f.read().split("\r\n")
    lines[27] = "2"
    with open(vkc, "w", encoding="utf-8", newline="") as f:
        f.write("\r\n".join(lines))
    out = os.path.join(folder, "porocilo.docx")
    result = run("--settings", vkx, "--data", data, "--model", model, "--controller", vkc,
                 "--out", out)
    summary = json.loads(result.stdout)
    check(summary["out"] == out, f"out {summary['out']}")
    check(summary["sections"] == ["OPC Nastavitve", "Obdelava", "Model", "Regulator"],
          f"sections {summary['sections']}")
    check(summary["tables"] == 4, f"tables {summary['tables']}")
    check(summary["pictures"] == PICTURES, f"pictures {summary['pictures']}")
    check(summary["bytes"] == os.path.getsize(out), "bytes")
    check(not [n for n in os.listdir(folder) if n.startswith("omidra")], "pictures left behind")

    d = docx.Document(out)
    title = paragraph(d, "Poročilo o eksperimentu")
    if title:
        check(all(r.font.size.pt == 20 and r.bold for r in title.runs), "title size 20 bold")
    line = paragraph(d, " Varkol 1.0.7")
    if line:
        check(all(r.italic for r in line.runs), "title line italic")
        check(line.alignment == WD_ALIGN_PARAGRAPH.RIGHT, "title line right-aligned")
    for heading in ["OPC Nastavitve", "Obdelava", "Model", "Regulator"]:
        found = [r for p in d.paragraphs for r in p.runs if r.text == heading]
        check(len(found) == 1 and found[0].font.size.pt == 14 and found[0].bold,
              f"heading {heading}")
    paragraph(d, "OPC Strežnik: " + SERVER)

    shapes = [(len(t.rows), len(t.columns)) for t in d.tables]
    check(shapes == [(5, 3), (7, 2), (7, 2), (5, 4)], f"table shapes {shapes}")
    headers = [["Procesni signali", "Opis", "OPC točke"],
               ["Parametri regulatorja", "OPC točke"],
               ["Parametri zunanjega regulatorja", "OPC točke"],
               ["Tip regulatorja", "Kp", "Ki", "Kd"]]
    for table, header in zip(d.tables, headers):
        cells = table.rows[0].cells
        check([c.text for c in cells] == header, f"header {[c.text for c in cells]}")
        check(all(r.bold for c in cells for p in c.paragraphs for r in p.runs), f"bold {header}")
    rows = [[c.text for c in r.cells] for r in d.tables[0].rows[1:]]
    expected = [["Manipulativni signal 1", clean(TAGS[0][1]), TAGS[0][0]],
                ["Izhod regulatorja", TAGS[2][1], TAGS[2][0]],
                ["Meritev 1", TAGS[4][1], TAGS[4][0]],
                ["Meritev 2", TAGS[5][1], TAGS[5][0]]]
    check(rows == expected, f"table 1 {rows}")
    labels = ["P člen", "I člen", "D člen", "R/A", "Ročno", "Avtomatsko"]
    for table, first in ((d.tables[1], 7), (d.tables[2], 14)):
        rows = [[c.text for c in r.cells] for r in table.rows[1:]]
        wanted = [[label, TAGS[first + i][0]] for i, label in enumerate(labels)]
        check(rows == wanted, f"controller tags {rows}")
    gains = d.tables[3]
    check(gains.alignment == WD_TABLE_ALIGNMENT.CENTER, "table 4 rows centred")
    names = [r.cells[0] for r in gains.rows[1:]]
    check([c.text for c in names] == ["I regulator", "P regulator", "PI regulator", "PID regulator"],
          "table 4 rows")
    check(all(r.bold for c in names for p in c.paragraphs for r in p.runs), "table 4 names bold")
    filled = [[bool(c.text) for c in r.cells[1:]] for r in gains.rows[1:]]
    check(filled == [[False, True, False], [True, False, False], [True, True, False],
                     [True, True, True]], f"table 4 filled {filled}")

    everything = "\n".join(body_texts(d))
    check("HIDDEN" not in everything, "rows 1 and 3 of the tag table appear")
    check(page_breaks(d) == 6, f"page breaks {page_breaks(d)}")
    for phrase, row in (("manipulativnega signala", 0), ("izhoda regulatorja", 2),
                        ("izhoda procesa", 4), ("dodatnega izhoda procesa", 5)):
        paragraph(d, f"Časovni potek {phrase} ({clean(TAGS[row][1])})")
        paragraph(d, f"Histogram {phrase} ({clean(TAGS[row][1])})")
    check(sum(p.text.startswith("Maksimum: ") for p in d.paragraphs) == 4, "Maksimum lines")
    check(sum(p.text.startswith("Minumum: ") for p in d.paragraphs) == 4, "Minumum lines")
    for caption in ("Ocenjeno ojačenje: ", "Kvaliteta modela: "):
        check(any(p.text.startswith(caption) for p in d.paragraphs), caption)
    scaled = [p.text for p in d.paragraphs if p.text.startswith("Skaliran")]
    check([s.split(":")[0] for s in scaled] == ["Skaliran P člen", "Skaliran I člen"],
          f"scaled lines {scaled}")
    # The bold of table 4's header stays in the table.
    check(not any(r.bold for p in d.paragraphs if p.text.startswith("Skaliran") for r in p.runs),
          "scaled lines bold")

    shapes = d.inline_shapes
    check(len(shapes) == 10, f"pictures {len(shapes)}")
    sizes = [(s.width, s.height) for s in shapes]
    for i in (0, 2, 4, 6):
        check(sizes[i] == (577 * EMU_PER_PIXEL, 409 * EMU_PER_PIXEL), f"time picture {sizes[i]}")
        check(sizes[i + 1] == (400 * EMU_PER_PIXEL, 250 * EMU_PER_PIXEL), f"histogram {sizes[i + 1]}")
    for (width, height), (w, h) in zip(sizes[8:], ((822, 792), (1258, 446))):
        check(width == TEXT_WIDTH and abs(height - TEXT_WIDTH * h / w) < 2,
              f"wide picture {width}x{height}")
    histogram = [p for p in d.paragraphs if p._p.xpath(".//wp:inline")][1]
    check(histogram.alignment == WD_ALIGN_PARAGRAPH.CENTER, "histogram centred")
    return out


def check_sections_off():
    """All three switches off: the title block and the OPC section only."""
    folder = os.path.join(WORK, "off")
    os.makedirs(folder)
    out = os.path.join(folder, "r.docx")
    summary = json.loads(run("--no-processing", "--no-model", "--no-controller",
                             "--out", out).stdout)
    check(summary["sections"] == ["OPC Nastavitve"] and summary["pictures"] == [] and
          summary["tables"] == 3, f"sections off: {summary}")
    d = docx.Document(out)
    check(page_breaks(d) == 0 and len(d.inline_shapes) == 0 and len(d.tables) == 3,
          "sections off: breaks, pictures or tables")
    texts = [p.text for p in d.paragraphs if p.text]
    check(texts == ["Poročilo o eksperimentu", " Varkol 1.0.7", "OPC Nastavitve", "OPC Strežnik: "],
          f"sections off: {texts}")


def check_template_tables():
    """A template with four tables of its own: they count first, so the
    texts land in them; the report's tables keep their header cells."""
    folder = os.path.join(WORK, "template")
    os.makedirs(folder)
    template = docx.Document()
    template.sections[0].header.paragraphs[0].text = "Glava podjetja"
    template.add_paragraph("Besedilo predloge")
    for rows, columns in ((5, 3), (7, 2), (7, 2), (5, 4)):
        template.add_table(rows=rows, cols=columns)
    path = os.path.join(folder, "predloga.docx")
    template.save(path)
    out = os.path.join(folder, "r.docx")
    summary = json.loads(run("--template", path, "--out", out).stdout)
    check(summary["tables"] == 8, f"template tables {summary['tables']}")
    d = docx.Document(out)
    check(d.sections[0].header.paragraphs[0].text == "Glava podjetja", "template header")
    check(d.paragraphs[0].text == "Besedilo predloge", "template body first")
    check(d.tables[0].cell(1, 0).text == "Manipulativni signal 1", "text in template table 1")
    check(d.tables[3].cell(4, 0).text == "PID regulator", "text in template table 4")
    check(d.tables[3].alignment == WD_TABLE_ALIGNMENT.CENTER, "template table 4 centred")
    check(d.tables[4].cell(0, 0).text == "Procesni signali" and d.tables[4].cell(1, 0).text == "",
          "report's own table 1")


def check_failures(data):
    """Unusable templates and a report that cannot be written: a message
    naming the file, no document, the pictures kept."""
    folder = os.path.join(WORK, "fail")
    os.makedirs(folder)
    cases = {"text.dotx": b"not a document", "old.dot": bytes.fromhex("d0cf11e0a1b11ae1") + bytes(500)}
    for name, content in cases.items():
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(content)
        out = os.path.join(folder, "r.docx")
        result = run("--template", path, "--out", out, expect=2)
        check(path in result.stderr and "predloge ni mogoče uporabiti" in result.stderr,
              f"template message {result.stderr!r}")
        check(not os.path.exists(out), f"a document despite {name}")
    result = run("--template", os.path.join(folder, "none.dotx"), "--out",
                 os.path.join(folder, "r.docx"), expect=2)
    check("datoteka ne obstaja" in result.stderr, f"missing template {result.stderr!r}")
    # The report's name is taken by a folder: it cannot be written there.
    blocked = os.path.join(folder, "blocked.docx")
    os.makedirs(blocked)
    result = run("--data", data, "--out", blocked, expect=2)
    check(blocked in result.stderr, f"unwritable report {result.stderr!r}")
    check(os.path.isdir(blocked), "the folder in the report's place")
    kept = sorted(n for n in os.listdir(folder) if n.startswith("omidra"))
    check(kept == sorted(PICTURES), f"pictures kept {kept}")


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    data = os.path.join(WORK, "run.vkd")
    model = os.path.join(WORK, "run.vkm")
    subprocess.run([CLI, "experiment", "--seed", "1", "--ts", "1", "--wait", "10", "--step-size",
                    "5", "--step-duration", "60", "--steps", "2", "--mv0", "50", "--out", data],
                   check=True, capture_output=True)
    subprocess.run([CLI, "identify", data, "--save-model", model], check=True, capture_output=True)
    check_full(data, model)
    check_sections_off()
    check_template_tables()
    check_failures(data)
    for failure in failures:
        print("FAILED:", failure)
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
