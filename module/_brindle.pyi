"""HWP 5.0 documents to Markdown: the compatibility module."""

__all__ = ["hwp_to_markdown", "hwp_debug_records"]

def hwp_to_markdown(path: str) -> str:
    """HWP 파일을 Markdown 문자열로 변환한다."""

def hwp_debug_records(path: str) -> list[tuple[int, int, int]]:
    """디버그용: 섹션 레코드의 (tag_id, level, size) 목록을 반환한다."""
