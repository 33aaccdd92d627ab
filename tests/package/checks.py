"""The failed checks of a test script, each printed when it happens and counted at the end."""
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)


def report(what):
    """The script's exit status: 1 when any check of `what` failed."""
    if failures:
        print(f"{len(failures)} {what} check(s) failed")
        return 1
    print(f"{what} checks passed")
    return 0
