"""The module as Python sees it: its attributes, the two functions' signatures and
docstrings, argument checking with its exact TypeError messages, re-import, and the
refusal to load in a second interpreter."""

from __future__ import annotations

import importlib
import inspect
import os
import pathlib
import sys

import pytest

import _brindle
import hwpfixture
from conftest import BOTH_FUNCTIONS, runtime_error

MISSING = "/nonexistent/brindle/missing.hwp"
MISSING_MESSAGE = "IO error: No such file or directory (os error 2)"

DOCSTRINGS = {
    "hwp_to_markdown": "HWP 파일을 Markdown 문자열로 변환한다.",
    "hwp_debug_records": "디버그용: 섹션 레코드의 (tag_id, level, size) 목록을 반환한다.",
}


def test_module_attributes():
    assert _brindle.__all__ == ["hwp_to_markdown", "hwp_debug_records"]
    assert _brindle.__doc__ == ""
    own = {name for name in vars(_brindle) if not name.startswith("__")}
    assert own == {"hwp_to_markdown", "hwp_debug_records"}


@BOTH_FUNCTIONS
def test_function_objects(fn):
    assert fn.__self__ is _brindle
    assert fn.__module__ == "_brindle"
    assert getattr(_brindle, fn.__name__) is fn
    assert fn.__doc__ == DOCSTRINGS[fn.__name__]
    assert fn.__text_signature__ == "(path)"
    parameters = list(inspect.signature(fn).parameters.values())
    assert [(p.name, p.kind, p.default) for p in parameters] == [
        ("path", inspect.Parameter.POSITIONAL_OR_KEYWORD, inspect.Parameter.empty)
    ]


class LocalType:
    class Nested:
        pass


@BOTH_FUNCTIONS
@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((), {}, "{}() missing 1 required positional argument: 'path'"),
        (("a", "b"), {}, "{}() takes 1 positional arguments but 2 were given"),
        (("a", "b", "c"), {}, "{}() takes 1 positional arguments but 3 were given"),
        (("a",), {"path": "b"}, "{}() got multiple values for argument 'path'"),
        ((), {"file": "a"}, "{}() got an unexpected keyword argument 'file'"),
        # Keywords are checked in the order given.
        ((), {"path": "a", "file": "b"}, "{}() got an unexpected keyword argument 'file'"),
        (("a",), {"path": "b", "file": "c"}, "{}() got multiple values for argument 'path'"),
        (("a",), {"file": "c", "path": "b"}, "{}() got an unexpected keyword argument 'file'"),
        ((b"a.hwp",), {}, "argument 'path': 'bytes' object cannot be converted to 'PyString'"),
        ((None,), {}, "argument 'path': 'NoneType' object cannot be converted to 'PyString'"),
        (
            (),
            {"path": None},
            "argument 'path': 'NoneType' object cannot be converted to 'PyString'",
        ),
        ((3,), {}, "argument 'path': 'int' object cannot be converted to 'PyString'"),
        (
            (pathlib.Path("a.hwp"),),
            {},
            "argument 'path': 'PosixPath' object cannot be converted to 'PyString'",
        ),
        (
            (LocalType.Nested(),),
            {},
            "argument 'path': 'LocalType.Nested' object cannot be converted to 'PyString'",
        ),
    ],
)
def test_argument_errors(fn, args, kwargs, message):
    with pytest.raises(TypeError) as info:
        fn(*args, **kwargs)
    assert type(info.value) is TypeError
    assert info.value.args == (message.format(fn.__name__),)


@BOTH_FUNCTIONS
def test_lone_surrogate_is_a_unicode_error(fn):
    with pytest.raises(UnicodeEncodeError):
        fn("\ud800.hwp")


class PathText(str):
    pass


@BOTH_FUNCTIONS
@pytest.mark.parametrize(
    "args, kwargs",
    [((MISSING,), {}), ((), {"path": MISSING}), ((PathText(MISSING),), {})],
    ids=["positional", "keyword", "str-subclass"],
)
def test_accepted_path_forms_reach_the_file(fn, args, kwargs):
    with pytest.raises(RuntimeError) as info:
        fn(*args, **kwargs)
    assert info.value.args == (MISSING_MESSAGE,)


@BOTH_FUNCTIONS
def test_empty_path_fails_when_opened(fn):
    assert runtime_error(fn, "").startswith("IO error: ")


def test_str_subclass_path_lists_records(make_hwp):
    path = make_hwp([hwpfixture.section("text")])
    assert _brindle.hwp_debug_records(PathText(path)) == [
        (66, 0, 24),
        (67, 1, 10),
        (68, 1, 8),
        (69, 1, 36),
    ]


def test_reimport_returns_the_same_module():
    first = sys.modules.pop("_brindle")
    try:
        again = importlib.import_module("_brindle")
        assert again is first
        assert again.hwp_debug_records is first.hwp_debug_records
    finally:
        sys.modules["_brindle"] = first


@pytest.mark.parametrize("config", ["legacy", "isolated"])
def test_second_interpreter_cannot_import(config, make_hwp):
    """A legacy subinterpreter runs the module's initialisation, which refuses a second
    interpreter; an isolated one refuses single-phase modules before that. Either way
    the import fails with ImportError (not a ModuleNotFoundError: the module's folder
    is put on the subinterpreter's path first)."""
    _interpreters = pytest.importorskip("_interpreters")
    path = make_hwp([hwpfixture.section("text")])
    before = _brindle.hwp_debug_records(path)
    folder = os.path.dirname(_brindle.__file__)
    interp = _interpreters.create(config)
    try:
        failure = _interpreters.exec(interp, f"import sys; sys.path.insert(0, {folder!r}); import _brindle")
    finally:
        _interpreters.destroy(interp)
    assert failure is not None
    assert failure.type.__name__ == "ImportError"
    assert "subinterpreters" in failure.msg
    # The main interpreter's module is untouched by the refusal.
    assert _brindle.hwp_debug_records(path) == before
