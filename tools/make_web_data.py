#!/usr/bin/env python3
"""Makes the browser page's data from a definitions database.

Usage: tools/make_web_data.py DEFINES_DB OUT_DIR

Writes OUT_DIR/defines-TAG.db3.gz for each language the documentation's texts have: the whole
database, its texts (descriptions, remedies, bug-check parameters and cases) English and that
language only, so that the page's first transfer carries English alone; and
OUT_DIR/languages.json, the list the page offers, English first. The files are gzip'ed without
a name or a time, so that two runs give the same bytes.
"""

import gzip
import json
import pathlib
import sqlite3
import sys
import tempfile

ENGLISH = "en-US"
# The tables whose rows are texts of one language.
TEXT_TABLES = ("Description", "Remedy", "BugCheckParameter", "BugCheckCase")
# Each code Description holds, once.
DESCRIBED = "DescribedCode"
# Each language by its own name, as a list of languages shows it; a tag missing here is shown
# as the tag.
NAMES = {
    "en-US": "English",
    "de-DE": "Deutsch",
    "es-ES": "Español",
    "fr-FR": "Français",
    "it-IT": "Italiano",
    "ja-JP": "日本語",
    "pt-BR": "Português (Brasil)",
    "ru-RU": "Русский",
    "zh-CN": "中文（简体）",
    "zh-TW": "中文（繁體）",
}


def languages_of(database):
    """The tags the text tables hold, English first, then in tag order."""
    tags = set()
    for table in TEXT_TABLES:
        tags.update(tag for (tag,) in database.execute(f"SELECT DISTINCT Lang FROM {table}"))
    return sorted(tags, key=lambda tag: (tag != ENGLISH, tag))


def write_language(source, tag, out_dir):
    """Writes the database with English and tag's texts, gzip'ed; returns the file's name."""
    with tempfile.TemporaryDirectory() as work:
        path = pathlib.Path(work) / "defines.db3"
        copy = sqlite3.connect(path)
        source.backup(copy)
        for table in TEXT_TABLES:
            copy.execute(f"DELETE FROM {table} WHERE Lang NOT IN (?, ?)", (ENGLISH, tag))
        # The codes described, kept to the texts left (a database made before it lacks it).
        if copy.execute(f"SELECT 1 FROM sqlite_master WHERE name = '{DESCRIBED}'").fetchone():
            copy.execute(f"DELETE FROM {DESCRIBED} WHERE ErrNum NOT IN "
                         "(SELECT ErrNum FROM Description)")
        copy.commit()
        # The browser's SQLite is built without a write-ahead log, which it needs to read none.
        copy.execute("PRAGMA journal_mode = DELETE")
        copy.execute("VACUUM")
        copy.close()
        name = f"defines-{tag}.db3.gz"
        with open(out_dir / name, "wb") as out:
            with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=out, mtime=0) as z:
                z.write(path.read_bytes())
    return name


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    database_path = pathlib.Path(argv[1])
    out_dir = pathlib.Path(argv[2])
    if not database_path.is_file():
        sys.stderr.write(f"make_web_data: {database_path}: no such file\n")
        return 2
    out_dir.mkdir(parents=True, exist_ok=True)
    source = sqlite3.connect(f"file:{database_path}?mode=ro", uri=True)
    try:
        tags = languages_of(source)
    except sqlite3.Error as error:
        sys.stderr.write(f"make_web_data: {database_path}: {error}\n")
        return 2
    if ENGLISH not in tags:
        tags.insert(0, ENGLISH)
    entries = []
    for tag in tags:
        name = write_language(source, tag, out_dir)
        entries.append({"tag": tag, "name": NAMES.get(tag, tag), "file": name,
                        "bytes": (out_dir / name).stat().st_size})
    source.close()
    text = json.dumps(entries, ensure_ascii=False, indent=1)
    (out_dir / "languages.json").write_text(text + "\n", encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
