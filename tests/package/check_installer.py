#!/usr/bin/env python3
"""Runs the installer under Wine in a fresh prefix of its own, as a user would:

  1. the silent installer (/S); install_tests.exe then checks the installed files, the uninstall
     entry, the Start-menu shortcut, and that the installed Norvo.exe opens a file given on its
     command line (which also writes the per-user "Open with" keys at start-up);
  2. a second silent install over the first, checked the same way;
  3. the silent uninstaller named by the uninstall entry: afterwards no file and no registry key
     or value exists that was not there before the first install, except the user's settings
     in %APPDATA%\\Norvo, which stay;
  4. install and uninstall again with /REMOVESETTINGS: now the settings go too.

The prefix's server is waited for after every step (the uninstaller runs on from a copy of
itself in the temporary folder), and the registry is read from the prefix's user.reg.
Needs a display (scripts/wine-session gives one).

Usage: check_installer.py ROOT SETUP_EXE INSTALL_TESTS_EXE PREFIX
"""
import os
import re
import shutil
import subprocess
import sys

from checks import check, report


class Prefix:
    def __init__(self, root, path):
        self.root, self.path = root, path
        self.env = dict(os.environ, NORVO_WINEPREFIX=path, WINEPREFIX=path,
                        # No menu entries or file types written to the Linux desktop.
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")

    def make(self):
        shutil.rmtree(self.path, ignore_errors=True)
        subprocess.run([os.path.join(self.root, "scripts", "wine-prefix")], env=self.env, check=True)

    def run(self, *args, timeout=300):
        print("+ " + " ".join(args), flush=True)
        done = subprocess.run([os.path.join(self.root, "scripts", "wine-exec"), *args], env=self.env,
                              timeout=timeout)
        return done.returncode

    def settle(self):
        """Waits until every process of the prefix has ended and the registry is written."""
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=300)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)

    def users_dir(self):
        users = os.path.join(self.path, "drive_c", "users")
        names = [n for n in os.listdir(users) if n not in ("Public", "public")]
        return os.path.join(users, names[0])

    def windows_path(self, unix):
        return "Z:" + os.path.abspath(unix).replace("/", "\\")

    def files(self):
        """Every file and folder of drive C except Windows' own and the temporary folders."""
        top = os.path.join(self.path, "drive_c")
        found = set()
        for folder, dirs, names in os.walk(top):
            rel = os.path.relpath(folder, top).replace(os.sep, "/")
            if rel == "windows" or re.search(r"(^|/)(Temp|temp)$", rel):
                dirs[:] = []
                continue
            found.update(f"{rel}/{n}" for n in dirs + names)
        return found

    def registry(self):
        """The current user's keys, and (key, value name) pairs, read from user.reg."""
        keys, values, key = set(), set(), None
        with open(os.path.join(self.path, "user.reg"), encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("["):
                    key = line[1:line.index("]")].replace("\\\\", "\\").lower()
                    keys.add(key)
                elif key and (line.startswith('"') or line.startswith("@=")):
                    name = "@" if line.startswith("@=") else line[1:line.index('"=')] if '"=' in line else line
                    values.add((key, name.lower()))
        return keys, values


# The user's class registration hive: always there on Windows, made by the first program that
# registers a file type in a fresh Wine prefix.
ALWAYS_THERE = {"software\\classes"}


def new_things(before, after):
    files0, (keys0, values0) = before
    keys0 = keys0 | ALWAYS_THERE
    files1, (keys1, values1) = after
    files = sorted(files1 - files0)
    keys = sorted(keys1 - keys0)
    values = sorted(f"{k} : {v}" for k, v in values1 - values0 if k in keys0)
    return files, keys, values


def snapshot(prefix):
    prefix.settle()
    return prefix.files(), prefix.registry()


def install_and_check(prefix, setup, tests, what):
    check(prefix.run(setup, "/S") == 0, f"{what}: the silent installer failed")
    check(prefix.run(tests) == 0, f"{what}: the installed program's checks failed")
    prefix.settle()


def uninstall(prefix, *options):
    uninstaller = os.path.join(prefix.users_dir(), "AppData", "Local", "Programs", "Norvo", "Uninstall.exe")
    check(os.path.exists(uninstaller), "no Uninstall.exe in the program's folder")
    if os.path.exists(uninstaller):
        check(prefix.run(uninstaller, "/S", *options) == 0, "the silent uninstaller failed")
    return snapshot(prefix)


def main():
    root, setup, tests, path = sys.argv[1:5]
    prefix = Prefix(root, path)
    prefix.make()
    try:
        before = snapshot(prefix)
        install_and_check(prefix, setup, tests, "first install")
        install_and_check(prefix, setup, tests, "install over the first")
        after = uninstall(prefix)
        files, keys, values = new_things(before, after)
        settings = [f for f in files if f.startswith(os.path.relpath(prefix.users_dir(), os.path.join(path, "drive_c"))
                                                      .replace(os.sep, "/") + "/AppData/Roaming/Norvo")]
        check(any(f.endswith("/norvo.cfg") for f in settings), "the uninstaller removed the user's settings")
        left = [f for f in files if f not in settings]
        check(not left, "files left after uninstalling: " + ", ".join(left))
        check(not keys, "registry keys left after uninstalling: " + ", ".join(keys))
        check(not values, "registry values left after uninstalling: " + ", ".join(values))

        install_and_check(prefix, setup, tests, "install after uninstalling")
        files, keys, values = new_things(before, uninstall(prefix, "/REMOVESETTINGS"))
        check(not files, "files left after uninstalling with /REMOVESETTINGS: " + ", ".join(files))
        check(not keys and not values, "registry entries left after uninstalling with /REMOVESETTINGS: " +
              ", ".join(keys + values))
    finally:
        prefix.stop()
    return report("installer")


if __name__ == "__main__":
    sys.exit(main())
