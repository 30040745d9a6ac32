"""KaTeX, as the command-line binary of the PyPI package markdown-katex: rendering
LaTeX with errors on, and its MathML, which the equation tests compare by meaning.
Many expressions go to one run as the rows of one gathered environment; a run that
fails is split until the expressions that fail are found."""

from __future__ import annotations

import re
import subprocess
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

MATHML = "{http://www.w3.org/1998/Math/MathML}"


def katex_binary() -> str | None:
    try:
        from markdown_katex import wrapper
    except ImportError:
        return None
    # The package's own binary (its search of the system's PATH and npx can take
    # minutes where there is none).
    try:
        return str(wrapper._get_pkg_bin_path())
    except Exception:
        return None


def balanced(latex: str) -> bool:
    """Unescaped braces pair up (checked alone, so that rows of one run cannot
    pair each other's braces)."""
    depth = 0
    for token in re.findall(r"\\.|[{}]", latex):
        if token == "{":
            depth += 1
        elif token == "}":
            depth -= 1
            if depth < 0:
                return False
    return depth == 0


def _render(binary: str, latex: str) -> str:
    with tempfile.TemporaryDirectory() as folder:
        source = Path(folder) / "in.tex"
        source.write_text(latex, encoding="utf-8")
        done = subprocess.run([binary, "-d", "-F", "mathml", "-i", str(source)], capture_output=True, text=True)
    if done.returncode != 0:
        message = next((line for line in done.stderr.splitlines() if "Error" in line), done.stderr.strip()[-300:])
        raise ValueError(message)
    return done.stdout


def _rows(mathml: str) -> list[str]:
    math = ET.fromstring(mathml[mathml.index("<math") : mathml.rindex("</math>") + len("</math>")])
    table = math.find(f"{MATHML}semantics/{MATHML}mrow/{MATHML}mtable")
    if table is None:
        table = math.find(f".//{MATHML}mtable")
    rows = []
    for row in table.findall(f"{MATHML}mtr"):
        for annotation in row.iter(f"{MATHML}annotation"):
            annotation.text = ""
        rows.append(ET.tostring(row, encoding="unicode"))
    return rows


def render_all(binary: str, expressions: list[str]) -> tuple[list[str | None], dict[str, str]]:
    """Each expression's MathML (None where it failed) and the errors by expression."""
    results: list[str | None] = [None] * len(expressions)
    errors: dict[str, str] = {}
    for latex in expressions:
        if not balanced(latex):
            errors[latex] = "unbalanced braces"

    def run(indices: list[int]) -> None:
        indices = [k for k in indices if expressions[k] not in errors]
        if not indices:
            return
        combined = r"\begin{gathered}" + r"\\".join("{" + expressions[k] + "}" for k in indices) + r"\end{gathered}"
        try:
            rows = _rows(_render(binary, combined))
        except ValueError as error:
            if len(indices) == 1:
                errors[expressions[indices[0]]] = str(error)
                return
            half = len(indices) // 2
            run(indices[:half])
            run(indices[half:])
            return
        assert len(rows) == len(indices), (len(rows), len(indices))
        for k, row in zip(indices, rows):
            results[k] = row

    run(list(range(len(expressions))))
    return results, errors
