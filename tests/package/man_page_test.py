#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that a manual page documents everything its program's --help lists.

    man_page_test.py PAGE.1 PROGRAM --commands   every command of `PROGRAM --help` has a
        subsection of its own, which names every option of `PROGRAM COMMAND --help`;
        the options that every command takes may be named once, under OPTIONS.
    man_page_test.py PAGE.1 PROGRAM              every option of `PROGRAM --help` is named
        under OPTIONS.

The help is read when the test runs, so a command or an option added to the program
fails this test until the page describes it.
"""

import os
import re
import subprocess
import sys

OPTION = re.compile(r"^\s+(?:(-\w),\s+)?(--[\w-]+)")
# "  logger ls         List the files ...": one or two words, then two spaces or more.
COMMAND = re.compile(r"^  ([a-z][\w-]*(?: [a-z][\w-]*)?)\s{2,}\S")


def run_help(program, args):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    result = subprocess.run([program, *args, "--help"], capture_output=True, text=True,
                            env=env, timeout=30, check=False)
    if result.returncode != 0:
        sys.exit(f"{program} {' '.join(args)} --help failed ({result.returncode}): "
                 f"{result.stderr}")
    return result.stdout


def options_of(help_text):
    options = []
    for line in help_text.splitlines():
        match = OPTION.match(line)
        if match:
            options += [name for name in match.groups() if name]
    return options


def commands_of(help_text):
    commands, listing = [], False
    for line in help_text.splitlines():
        if line.strip() == "Commands:":
            listing = True
        elif listing and not line.strip():
            break
        elif listing:
            match = COMMAND.match(line)
            if not match:
                sys.exit(f"cannot read the command in this line of the help: {line!r}")
            commands.append(match.group(1))
    return commands


def plain_text(roff_line):
    text = re.sub(r"\\f[BIRP]|\\f\(\w\w|\\&|\\%", "", roff_line)
    text = text.replace("\\-", "-").replace("\\(aq", "'").replace("\\*(Aq", "'")
    return text.replace("\\e", "\\")


def read_page(path):
    """The page's sections as {name: text} and subsections as {name: (section, text)}."""
    sections, subsections = {}, {}
    section = subsection = None
    with open(path, encoding="utf-8") as page:
        for line in page:
            line = line.rstrip("\n")
            heading = re.match(r"^\.(SH|SS)\s+(.*)$", line)
            if heading:
                name = plain_text(heading.group(2)).strip().strip('"')
                if heading.group(1) == "SH":
                    section, subsection = name, None
                    sections.setdefault(section, "")
                else:
                    subsection = name
                    subsections[subsection] = (section, "")
                continue
            if line.startswith(".") or line.startswith("'"):
                continue
            text = plain_text(line) + "\n"
            if section is not None:
                sections[section] += text
            if subsection is not None:
                owner, body = subsections[subsection]
                subsections[subsection] = (owner, body + text)
    return sections, subsections


def names(text, option):
    """True when an entry of `text` (a line that starts with an option) names `option`:
    naming it in passing, in prose or in a usage line, describes nothing."""
    pattern = re.compile(r"(?<![\w-])" + re.escape(option) + r"(?![\w-])")
    return any(line.lstrip().startswith("-") and pattern.search(line)
               for line in text.splitlines())


def check_commands(page, program):
    sections, subsections = read_page(page)
    overview = run_help(program, [])
    commands = commands_of(overview)
    if not commands:
        sys.exit(f"{program} --help lists no commands")
    options = {command: options_of(run_help(program, command.split())) for command in commands}
    common = set.intersection(*(set(found) for found in options.values()))
    general = sections.get("OPTIONS", "")
    problems = []
    for option in options_of(overview):
        if not names(general, option):
            problems.append(f"{option} (of '{os.path.basename(program)} --help') is not under OPTIONS")
    for command in commands:
        if command not in subsections:
            problems.append(f"the command '{command}' has no subsection of its own")
            continue
        owner, body = subsections[command]
        if owner != "COMMANDS":
            problems.append(f"the subsection '{command}' is under {owner}, not COMMANDS")
        for option in options[command]:
            if names(body, option) or (option in common and names(general, option)):
                continue
            problems.append(f"'{command}' does not describe its option {option}")
    return problems, len(commands), sum(len(found) for found in options.values())


def check_options(page, program):
    sections, _ = read_page(page)
    general = sections.get("OPTIONS", "")
    found = options_of(run_help(program, []))
    if not found:
        sys.exit(f"{program} --help lists no options")
    problems = [f"{option} is not under OPTIONS" for option in found if not names(general, option)]
    return problems, 0, len(found)


def main():
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] != "--commands"):
        sys.exit(__doc__)
    page, program = sys.argv[1], sys.argv[2]
    check = check_commands if len(sys.argv) == 4 else check_options
    problems, commands, options = check(page, program)
    for problem in problems:
        print(f"{os.path.basename(page)}: {problem}")
    if problems:
        return 1
    print(f"{os.path.basename(page)} describes the {commands} commands and {options} options "
          f"that {os.path.basename(program)} --help lists")
    return 0


if __name__ == "__main__":
    sys.exit(main())
