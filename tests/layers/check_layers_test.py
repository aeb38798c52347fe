#!/usr/bin/env python3
"""tools/check_layers.py on two-library projects: one clean, one per kind of stray include."""

import pathlib
import subprocess
import sys
import tempfile
import unittest

CHECK = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else
                     pathlib.Path(__file__).parents[2] / "tools" / "check_layers.py")

# low/ is a library; high/ a library over it; app links high. Each case replaces files.
BASE = {
    "CMakeLists.txt": """cmake_minimum_required(VERSION 3.25)
project(fixture LANGUAGES CXX)
add_library(low STATIC low/low.cpp low/only_header.h)
target_include_directories(low PUBLIC ${PROJECT_SOURCE_DIR})
add_library(high STATIC high/high.cpp)
target_include_directories(high PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(high PUBLIC low)
add_executable(app app/main.cpp)
target_link_libraries(app PRIVATE high)
""",
    "low/low.h": "int Low();\n",
    "low/low.cpp": '#include "low/low.h"\nint Low() { return 1; }\n',
    "low/only_header.h": "inline int OnlyHeader() { return 2; }\n",
    "low/unlisted.h": "inline int Unlisted() { return 3; }\n",
    "high/high.h": "int High();\n",
    "high/high.cpp": '#include "high/high.h"\n#include "low/low.h"\nint High() { return Low(); }\n',
    "app/main.cpp": '#include "high/high.h"\n#include "low/only_header.h"\n'
                    "int main() { return High() + OnlyHeader(); }\n",
}

CASES = [
    # name, changed files, expected exit status, text the complaint must hold
    ("clean project passes, transitive links and listed headers included", {}, 0, None),
    ("lower library includes a header of the library above it",
     {"low/low.cpp": '#include "low/low.h"\n#include "high/high.h"\nint Low() { return 1; }\n'},
     1, "low/low.cpp (target low) includes high/high.h of high, which low does not link"),
    ("header-only header included by a target that does not link its owner",
     {"high/high.cpp": '#include "high/high.h"\n#include "low/only_header.h"\nint High() { return 0; }\n',
      "CMakeLists.txt": BASE["CMakeLists.txt"].replace("target_link_libraries(high PUBLIC low)\n", "")},
     1, "high/high.cpp (target high) includes low/only_header.h of low, which high does not link"),
    ("header that no target owns",
     {"app/main.cpp": '#include "high/high.h"\n#include "low/unlisted.h"\nint main() { return High(); }\n'},
     1, "includes low/unlisted.h, which no target lists among its sources"),
    ("a stray include inside a header is found too",
     {"high/high.h": '#include "app/nothing.h"\nint High();\n', "app/nothing.h": "\n"},
     1, "high/high.h"),
]


class CheckLayersTest(unittest.TestCase):
    def test_cases(self):
        for name, changes, status, complaint in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as scratch:
                source = pathlib.Path(scratch) / "src"
                for path, text in {**BASE, **changes}.items():
                    (source / path).parent.mkdir(parents=True, exist_ok=True)
                    (source / path).write_text(text)
                tree = pathlib.Path(scratch) / "build"
                subprocess.run(["cmake", "-S", source, "-B", tree, "-G", "Ninja"], check=True,
                               stdout=subprocess.DEVNULL)
                result = subprocess.run([sys.executable, CHECK, tree], capture_output=True,
                                        text=True)
                self.assertEqual(status, result.returncode, result.stderr)
                if complaint:
                    self.assertIn(complaint, result.stderr)


if __name__ == "__main__":
    unittest.main()
