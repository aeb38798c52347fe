#!/usr/bin/env python3
"""tools/check_layers.py on two-library projects: clean ones, one per kind of stray include."""

import pathlib
import subprocess
import sys
import tempfile
import unittest

CHECK = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else
                     pathlib.Path(__file__).parents[2] / "tools" / "check_layers.py")

# base/ is a library; lookup/ a library over it; app links lookup. The folders carry names of
# the script's folder order, so its folder rule applies. Each case replaces files.
BASE = {
    "CMakeLists.txt": """cmake_minimum_required(VERSION 3.25)
project(fixture LANGUAGES CXX)
add_library(low STATIC base/low.cpp base/only_header.h)
target_include_directories(low PUBLIC ${PROJECT_SOURCE_DIR})
add_library(high STATIC lookup/high.cpp)
target_include_directories(high PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(high PUBLIC low)
add_executable(app app/main.cpp)
target_link_libraries(app PRIVATE high)
""",
    "base/low.h": "int Low();\n",
    "base/low.cpp": '#include "base/low.h"\nint Low() { return 1; }\n',
    "base/only_header.h": "inline int OnlyHeader() { return 2; }\n",
    "base/unlisted.h": "inline int Unlisted() { return 3; }\n",
    "lookup/high.h": "int High();\n",
    "lookup/high.cpp": '#include "lookup/high.h"\n#include "base/low.h"\nint High() { return Low(); }\n',
    "app/main.cpp": '#include "lookup/high.h"\n#include "base/only_header.h"\n'
                    "int main() { return High() + OnlyHeader(); }\n",
}
# The window's glue gathered into the program's target: every link is there, only the folders
# tell that base/ reaches up.
WITH_GLUE = BASE["CMakeLists.txt"].replace("app/main.cpp)", "app/main.cpp base/glue_win.cpp)")

CASES = [
    # name, changed files, expected exit status, text the complaint must hold
    ("clean project passes, transitive links and listed headers included", {}, 0, None),
    ("lower library includes a header of the library above it",
     {"base/low.cpp": '#include "base/low.h"\n#include "lookup/high.h"\nint Low() { return 1; }\n'},
     1, "base/low.cpp (target low) includes lookup/high.h of high, which low does not link"),
    ("header-only header included by a target that does not link its owner",
     {"lookup/high.cpp": '#include "lookup/high.h"\n#include "base/only_header.h"\nint High() { return 0; }\n',
      "CMakeLists.txt": BASE["CMakeLists.txt"].replace("target_link_libraries(high PUBLIC low)\n", "")},
     1, "lookup/high.cpp (target high) includes base/only_header.h of low, which high does not link"),
    ("header that no target owns",
     {"app/main.cpp": '#include "lookup/high.h"\n#include "base/unlisted.h"\nint main() { return High(); }\n'},
     1, "includes base/unlisted.h, which no target lists among its sources"),
    ("a stray include inside a header is found too",
     {"lookup/high.h": '#include "app/nothing.h"\nint High();\n', "app/nothing.h": "\n"},
     1, "lookup/high.h"),
    ("glue file of a lower folder includes a higher folder's header its target links",
     {"CMakeLists.txt": WITH_GLUE, "base/glue_win.cpp": '#include "lookup/high.h"\nint Glue() { return High(); }\n'},
     1, "base/glue_win.cpp includes lookup/high.h: folder lookup/ is not below base/"),
    ("glue file including its own and lower folders passes",
     {"CMakeLists.txt": WITH_GLUE, "base/glue_win.cpp": '#include "base/low.h"\nint Glue() { return Low(); }\n'},
     0, None),
    ("folder that the order does not place",
     {"CMakeLists.txt": BASE["CMakeLists.txt"].replace("app/main.cpp)", "app/main.cpp extra/page.cpp)"),
      "extra/page.cpp": '#include "lookup/high.h"\nint Page() { return High(); }\n'},
     1, "folder extra/ has no row in FOLDER_LAYERS"),
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
