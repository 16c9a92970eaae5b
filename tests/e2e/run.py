"""Runs one end-to-end test module; exits with 77, which ctest reports as skipped, when every
test in it was skipped."""
import sys
import unittest

result = unittest.main(module=sys.argv[1], argv=[sys.argv[0], "-v"], exit=False).result
if result.testsRun and len(result.skipped) == result.testsRun:
    sys.exit(77)
sys.exit(0 if result.wasSuccessful() else 1)
