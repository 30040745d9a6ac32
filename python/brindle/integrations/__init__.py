"""brindle inside the pipelines that load documents: each submodule adapts brindle to
one framework and imports that framework only when it is imported itself.

- `brindle.integrations.langchain`: a LangChain document loader (``brindle[langchain]``);
- `brindle.integrations.llamaindex`: a LlamaIndex file reader (``brindle[llamaindex]``);
- `brindle.integrations.haystack`: a Haystack 2 converter component (``brindle[haystack]``);
- `brindle.integrations.markitdown`: a MarkItDown converter plugin (``brindle[markitdown]``).
"""
