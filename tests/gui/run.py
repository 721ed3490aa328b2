"""Runs one GUI test module: `run.py startup` runs test_startup.py.

Exit status 0 when every test passed (some may have been skipped), 1 on a failure, and 77 (CTest's
skip code here) when every test of the module was skipped.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))


def main():
    if len(sys.argv) != 2:
        print("usage: run.py MODULE", file=sys.stderr)
        return 2
    suite = unittest.defaultTestLoader.loadTestsFromName("test_" + sys.argv[1])
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    if not result.wasSuccessful():
        return 1
    if result.testsRun and len(result.skipped) == result.testsRun:
        return 77
    return 0


if __name__ == "__main__":
    sys.exit(main())
