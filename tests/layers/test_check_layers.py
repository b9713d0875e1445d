#!/usr/bin/env python3
"""scripts/check-layers: the real tree holds its layers, and an include that goes up, or a folder
that the order does not know, is printed and fails the check."""
import os
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHECK = os.path.join(ROOT, "scripts", "check-layers")


def check(src=None):
    r = subprocess.run([sys.executable, CHECK] + ([src] if src else []), capture_output=True, text=True)
    return r.returncode, r.stdout.splitlines()


def tree(files):
    top = tempfile.mkdtemp(prefix="layers-")
    for path, text in files.items():
        os.makedirs(os.path.join(top, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(top, path), "w") as f:
            f.write(text)
    return top


class CheckLayersTest(unittest.TestCase):
    def test_the_source_tree_holds_its_layers(self):
        self.assertEqual(check(), (0, []))

    def test_includes_that_go_up_are_printed(self):
        src = tree({
            "core/split.h": '#pragma once\n#include <string>\n',
            "diag/log.cpp": '#include "core/split.h"\n#include "diag/log.h"\n',  # down and own: fine
            "files/paths.cpp": '#include "files/paths.h"\n  #  include "service/status.h"\n',
            "core/globals.cpp": '#include "entry/main.h"\n',
        })
        code, lines = check(src)
        self.assertEqual(code, 1)
        self.assertEqual(len(lines), 2, lines)
        self.assertIn("core/globals.cpp:1:", lines[0])
        self.assertIn("(core may not use entry)", lines[0])
        self.assertIn("files/paths.cpp:2:", lines[1])
        self.assertIn("(files may not use service)", lines[1])

    def test_an_unknown_folder_fails(self):
        code, lines = check(tree({"util/x.cpp": "\n"}))
        self.assertEqual(code, 1)
        self.assertEqual(len(lines), 1)
        self.assertIn("util", lines[0])


if __name__ == "__main__":
    unittest.main(verbosity=2)
