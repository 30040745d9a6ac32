"""Equations as LaTeX in the full profile: the script of every construct converted,
compared by meaning (KaTeX's MathML of our LaTeX against that of hand-written LaTeX),
every LaTeX written rendered by KaTeX with errors on (the generated cases, hostile
scripts and every equation of ../shared/corpus), inline math for an equation in a
line of text, display math for one on its own, and the exact profile's script
unchanged."""

from __future__ import annotations

import re
import time

import pytest

import brindle
from conftest import CORPUS_DIR
from hwpfixture import Equation, Paragraph, Table, owpml
from katex_check import katex_binary, render_all

KATEX = katex_binary()
needs_katex = pytest.mark.skipif(KATEX is None, reason="markdown-katex (the KaTeX binary) is not installed")

# (script, LaTeX of the same meaning, written by hand)
CASES = [
    # fractions, roots, scripts
    ("1 over 2", r"\frac{1}{2}"),
    ("{a+b} over {c-d}", r"\frac{a+b}{c-d}"),
    ("a+b over c", r"a+\frac{b}{c}"),
    ("a over b over c", r"\frac{\frac{a}{b}}{c}"),
    ("x^2 over y", r"\frac{x^2}{y}"),
    ("n atop k", r"\genfrac{}{}{0pt}{}{n}{k}"),
    ("sqrt 2", r"\sqrt{2}"),
    ("sqrt {x^2 + y^2}", r"\sqrt{x^2+y^2}"),
    ("root 3 of {x+1}", r"\sqrt[3]{x+1}"),
    ("root n of x", r"\sqrt[n]{x}"),
    ("x^2", r"x^2"),
    ("x_i", r"x_i"),
    ("x sup 2", r"x^2"),
    ("x sub {i+1}", r"x_{i+1}"),
    ("x_i^2", r"x_i^2"),
    ("x^2_i", r"x_i^2"),
    ("e^{-x^2}", r"e^{-x^2}"),
    ("C lsub 6 lsup 14", r"{}_{6}^{14}C"),
    ("a_{b_{c_d}}", r"a_{b_{c_d}}"),
    # big operators and limits
    ("sum from {i=1} to n i", r"\sum_{i=1}^{n} i"),
    ("sum _{k=0} ^{inf} x^k", r"\sum_{k=0}^{\infty} x^k"),
    ("prod from i a_i", r"\prod_{i} a_i"),
    ("int from 0 to 1 f(x) dx", r"\int_0^1 f(x)dx"),
    ("dint tint oint", r"\iint\iiint\oint"),
    ("lim from {x -> 0} {sin x} over x", r"\lim_{x\to 0}\frac{\sin x}{x}"),
    ("Lim from {n->inf} a_n", r"\lim_{n\to\infty} a_n"),
    ("union from {i} A_i inter B", r"\bigcup_{i} A_i \bigcap B"),
    # delimiters
    ("left ( a over b right )", r"\left(\frac{a}{b}\right)"),
    ("left [ x right ]", r"\left[x\right]"),
    ("left | x right |", r"\left\vert x\right\vert"),
    ("left lbrace x right rbrace", r"\left\{x\right\}"),
    ("left langle a right rangle", r"\left\langle a\right\rangle"),
    ("left ( x right .", r"\left(x\right."),
    ("left ( x", r"\left(x\right."),
    ("left lceil x right rceil", r"\left\lceil x\right\rceil"),
    # matrices, cases, piles, alignment
    ("matrix{a & b # c & d}", r"\begin{matrix}a&b\\c&d\end{matrix}"),
    ("pmatrix{1 & 0 # 0 & 1}", r"\begin{pmatrix}1&0\\0&1\end{pmatrix}"),
    ("bmatrix{a # b}", r"\begin{bmatrix}a\\b\end{bmatrix}"),
    ("dmatrix{a & b # c & d}", r"\begin{vmatrix}a&b\\c&d\end{vmatrix}"),
    ("cases{x & x>=0 # -x & x<0}", r"\begin{cases}x&x\ge 0\\-x&x<0\end{cases}"),
    ("pile{a # b # c}", r"\begin{array}{c}a\\b\\c\end{array}"),
    ("lpile{a # bb}", r"\begin{array}{l}a\\bb\end{array}"),
    ("rpile{a # bb}", r"\begin{array}{r}a\\bb\end{array}"),
    ("eqalign{a &= b+c # d &= e}", r"\begin{aligned}a&=b+c\\d&=e\end{aligned}"),
    ("x = 1 # y = 2", r"\begin{gathered}x=1\\y=2\end{gathered}"),
    (
        "matrix{ {a over b} & sqrt 2 # pmatrix{1 # 2} & x}",
        r"\begin{matrix}\frac{a}{b}&\sqrt{2}\\\begin{pmatrix}1\\2\end{pmatrix}&x\end{matrix}",
    ),
    # accents
    ("hat a", r"\widehat{a}"),
    ("check a", r"\check{a}"),
    ("tilde a", r"\widetilde{a}"),
    ("acute a grave b", r"\acute{a}\grave{b}"),
    ("dot x ddot y", r"\dot{x}\ddot{y}"),
    ("bar {x+y}", r"\overline{x+y}"),
    ("vec AB", r"\overrightarrow{AB}"),
    ("dyad AB", r"\overleftrightarrow{AB}"),
    ("under x", r"\underline{x}"),
    ("arch AB", r"\overgroup{AB}"),
    ("overbrace {a+b} {n}", r"\overbrace{a+b}^{n}"),
    ("underbrace {a+b} {n}", r"\underbrace{a+b}_{n}"),
    # Greek letters and their case
    ("alpha beta gamma pi omega", r"\alpha\beta\gamma\pi\omega"),
    ("GAMMA DELTA Sigma OMEGA", r"\Gamma\Delta\Sigma\Omega"),
    ("ALPHA Beta", r"\mathrm{A}\mathrm{B}"),
    ("varepsilon vartheta varphi", r"\varepsilon\vartheta\varphi"),
    ("α + Ω", r"\alpha+\Omega"),
    # relations, operators, arrows
    ("a <= b >= c != d", r"a\le b\ge c\ne d"),
    ("a == b approx c sim d", r"a\equiv b\approx c\sim d"),
    ("a << b >> c", r"a\ll b\gg c"),
    ("x in A subset B subseteq C", r"x\in A\subset B\subseteq C"),
    ("a +- b -+ c times d div e cdot f", r"a\pm b\mp c\times d\div e\cdot f"),
    ("A cup B cap C", r"A\cup B\cap C"),
    ("x -> y larrow z rarrow w", r"x\to y\leftarrow z\rightarrow w"),
    ("LARROW RARROW LRARROW lrarrow", r"\Leftarrow\Rightarrow\Leftrightarrow\leftrightarrow"),
    ("forall x exist y partial nabla inf", r"\forall x\exists y\partial\nabla\infty"),
    ("therefore because", r"\therefore\because"),
    ("90 DEG", r"90{}^{\circ}"),
    ("a cdots b ldots c", r"a\cdots b\ldots c"),
    ("a < b > c", r"a<b>c"),
    ("|x| + ||y||", r"\vert x\vert+\Vert y\Vert"),
    ("not = not in", r"\not=\not\in"),
    # named functions
    ("sin x + cos y + tan z", r"\sin x+\cos y+\tan z"),
    ("log_2 x + ln y + exp z", r"\log_2 x+\ln y+\exp z"),
    ("max (a,b) min det", r"\max(a,b)\min\det"),
    ("a mod b", r"a\bmod b"),
    # spacing, text and fonts
    ("a~b", r"a~b"),
    ("a`b", r"a\,b"),
    ('"if " x > 0', r"\text{if }x>0"),
    (
        '"a{b}c$d&e#f^g_h%i~j\\k<l>m|n"',
        r"\text{a\{b\}c\textdollar{}d\&e\#f\textasciicircum{}g\_h\%i\textasciitilde{}j\textbackslash{}k\textless{}l"
        r"\textgreater{}m\textbar{}n}",
    ),
    ("rm abc", r"\mathrm{abc}"),
    ("{rm sin} x", r"\sin x"),
    ("it x bold y", r"\mathit{x\mathbf{y}}"),
    ("넓이 = 가로 times 세로", r"\text{넓이}=\text{가로}\times\text{세로}"),
    # keywords in any case
    ("1 OVER 2", r"\frac{1}{2}"),
    ("SQRT x + Sqrt y", r"\sqrt{x}+\sqrt{y}"),
    ("SUM FROM i TO n", r"\sum_{i}^{n}"),
    ("A SUP 2 SUB 1", r"A_1^2"),
    ("LEFT ( x RIGHT )", r"\left(x\right)"),
    ("MATRIX{a&b}", r"\begin{matrix}a&b\end{matrix}"),
    # nesting
    ("sqrt {1 over {1 + sqrt {x over y}}}", r"\sqrt{\frac{1}{1+\sqrt{\frac{x}{y}}}}"),
    ("{x^2 + y^2} over {sqrt {x_1^2 + x_2^2}}", r"\frac{x^2+y^2}{\sqrt{x_1^2+x_2^2}}"),
    ("left ( sum from {i=1} to n {a_i} over {b_i} right ) ^2", r"\left(\sum_{i=1}^{n}\frac{a_i}{b_i}\right)^2"),
    ("x = {-b +- sqrt {b^2 - 4ac}} over {2a}", r"x=\frac{-b\pm\sqrt{b^2-4ac}}{2a}"),
    # what is not converted stays visible as text
    ("color {red} x", r"\text{color \{red\} }x"),
    ("buildrel", r"\text{buildrel}"),
    ("matrix", r"\text{matrix}"),
    # damaged scripts still give LaTeX that renders
    ("x^2^3", r"x^2{}^3"),
    ("over b", r"\frac{}{b}"),
    ("a over", r"\frac{a}{}"),
    ("} x {", r"\}x{}"),
    ("sqrt", r"\sqrt{}"),
    ("cases{a & b & c}", r"\begin{cases}a&b\quad c\end{cases}"),
    ('"unterminated', r"\text{unterminated}"),
    ("\\ $ % @", r"\backslash\text{\textdollar}\%@"),
    ("&& a", r"a"),
]

# Scripts for the rendering check alone: hostile shapes.
HOSTILE = [
    "{" * 40 + "x" + "}" * 40,
    "sqrt " * 60 + "x",
    "x" + "^x" * 50,
    "left ( " * 40 + "x",
    "right ) " * 10,
    "1 over " * 60 + "2",
    "matrix{" * 20 + "a" + "}" * 20,
    "rm it bold " * 20 + "x",
    "# & # & #",
    "hat hat hat hat x",
    "lsub lsup sub sup",
    "from to from to",
    "rmbarHI`  ^{2}",
    "log ` _2 20",
    "a ~^2",  # scripts on a space
]


def full_latex(twins, script: str) -> str:
    markdown = twins(Paragraph(Equation(script)))
    match = re.fullmatch(r"\$\$\n(.*)\n\$\$", markdown, re.S)
    assert match, markdown
    return match.group(1)


@needs_katex
def test_each_construct_means_what_the_hand_written_latex_means(twins):
    ours = [full_latex(twins, script) for script, _ in CASES]
    expected = [latex for _, latex in CASES]
    rendered, errors = render_all(KATEX, ours + expected)
    assert not errors, errors
    mismatched = [
        (script, mine, hand)
        for (script, hand), mine, a, b in zip(CASES, ours, rendered[: len(CASES)], rendered[len(CASES) :])
        if a != b
    ]
    assert not mismatched, "\n".join(f"{s!r}: ours {m!r}, expected {h!r}" for s, m, h in mismatched)


@needs_katex
def test_hostile_scripts_give_latex_that_renders(twins):
    ours = [full_latex(twins, script) for script in HOSTILE]
    _, errors = render_all(KATEX, ours)
    assert not errors, errors


@needs_katex
def test_every_corpus_equation_renders():
    documents = (
        sorted(CORPUS_DIR.glob("*/*.hwp"))
        + sorted(CORPUS_DIR.glob("hwpx/*/*.hwpx"))
        + sorted(CORPUS_DIR.glob("hwpml/*.hml"))
    )
    if not documents:
        pytest.skip("the corpus is not beside the repository")
    found = []
    for path in documents:
        try:
            markdown = brindle.convert(path)
        except brindle.DocumentError:
            continue
        found += re.findall(r"^\$\$\n(.*?)\n\$\$$", markdown, re.S | re.M)
        found += re.findall(r"(?<![$\\])\$([^$\n]+)\$(?!\$)", markdown)
    assert len(found) >= 5
    _, errors = render_all(KATEX, found)
    assert not errors, errors


def test_inline_and_display_equations(twins):
    inline = Equation("pi r^2", in_line=True)
    assert twins(Paragraph("넓이는 ", inline, "이다.")) == r"넓이는 $\pi r^{2}$이다."
    # On its own, or not placed as a character: display math.
    assert twins(Paragraph(Equation("pi r^2", in_line=True))) == "$$\n\\pi r^{2}\n$$"
    assert twins(Paragraph("넓이는", Equation("pi r^2"))) == "넓이는\n\n$$\n\\pi r^{2}\n$$"
    # Two in one line, each at its place; then a display one.
    assert (
        twins(
            Paragraph(
                "a ", Equation("x^2", in_line=True), " b ", Equation("y_1", in_line=True), " c", Equation("1 over 2")
            )
        )
        == "a $x^{2}$ b $y_{1}$ c\n\n$$\n\\frac{1}{2}\n$$"
    )
    # In a cell an equation is inline whatever its placing; no "|" of its own.
    table = Table([["식", [Paragraph(Equation("left | x right |"))]], ["b", "c"]])
    assert twins(Paragraph(table)).splitlines()[0] == r"|식|$\left\vert x\right\vert$|"
    # The exact profile keeps the script.
    assert twins(Paragraph("넓이는 ", inline, "이다."), profile="exact") == "넓이는 이다.\n\n$$\npi r^2\n$$"


def test_blank_scripts_write_nothing_in_the_full_profile(twins):
    assert twins(Paragraph("a", Equation("   "))) == "a"
    assert twins(Paragraph("a", Equation("   ")), profile="exact") == "a\n\n$$\n\n$$"


def test_a_megabyte_of_nested_braces_is_bounded_and_linear():
    # HWPX scripts have no length field: a megabyte of braces in one script (stored,
    # since it would deflate past the package's bound on compression).
    times = []
    for size in (1 << 18, 1 << 20):
        data = owpml.zip_bytes(
            owpml.package_parts([[Paragraph(Equation("{" * size + "x" + "}" * size))]]), compress=False
        )
        start = time.perf_counter()
        markdown = brindle.convert(data)
        times.append(time.perf_counter() - start)
        # 32 levels read; the rest is the text of its script.
        assert markdown.startswith("$$\n{\\text{") and markdown.count(r"\{") == size - 32
    # Four times the script, well under sixteen times the time.
    assert times[1] < 12 * times[0] + 0.5, times
