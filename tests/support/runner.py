"""The runner of the test scripts: every top-level `def test_<name>(` of a script is one test, which the build
registers as one ctest test (cmake/PythonTests.cmake reads the same lines). `script.py NAME...` runs those tests,
`script.py` all of them; the exit status is 0 when all passed, 1 when any failed, SKIPPED when all were skipped
and none failed, 2 for an unknown name.
"""

import os
import sys
import time
import traceback

from processes import Skipped

SKIPPED = 77


def test_names(namespace):
    return sorted(n for n in namespace if n.startswith("test_") and callable(namespace[n]))


def main(namespace, run=None, argv=None):
    """Runs the named tests of `namespace` (a script's globals()) and exits. `run(fn, test_name)` runs one test
    function in whatever session it needs; without it the function is called with no argument."""
    argv = sys.argv[1:] if argv is None else argv
    names = test_names(namespace)
    if argv:
        wanted = [a if a.startswith("test_") else "test_" + a for a in argv]
        missing = [w for w in wanted if w not in names]
        if missing:
            print("unknown test(s): %s; known: %s" % (", ".join(missing), ", ".join(n[5:] for n in names)))
            sys.exit(2)
        names = wanted
    script = os.path.splitext(os.path.basename(namespace.get("__file__") or sys.argv[0]))[0]
    failed = skipped = 0
    for n in names:
        fn = namespace[n]
        test_name = script + "." + n[5:]
        started = time.monotonic()
        try:
            if run is None:
                fn()
            else:
                run(fn, test_name)
            print("PASS %s in %.1f s" % (test_name, time.monotonic() - started), flush=True)
        except Skipped as reason:
            skipped += 1
            print("SKIP %s: %s" % (test_name, reason), flush=True)
        except Exception as e:  # noqa: BLE001 - report every failure the same way
            failed += 1
            traceback.print_exc()
            print("FAIL %s: %s" % (test_name, e), flush=True)
    # The exit status is what ctest reads: a failed test must end the script non-zero.
    sys.exit(1 if failed else SKIPPED if names and skipped == len(names) else 0)
