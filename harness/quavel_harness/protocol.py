"""The agent's wire contract as the Python side sees it, read from the one
place it is written down: include/quavel/protocol.h."""
import os
import re

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "include",
                      "quavel", "protocol.h")


def _read():
    with open(HEADER) as header:
        text = header.read()
    defines = dict(re.findall(r"^#define\s+(QUAVEL_\w+)\s+(.+?)\s*$", text, re.MULTILINE))
    commands = {name: int(code) for name, code in re.findall(r"\b(HC_\w+)\s*=\s*(\d+)", text)}
    return defines, commands


_DEFINES, COMMANDS = _read()
WINDOW_CLASS = _DEFINES["QUAVEL_WINDOW_CLASS"].strip('"')
SECOND_CHANNEL = int(_DEFINES["QUAVEL_SECOND_CHANNEL"])
EVENT_ENDED = int(_DEFINES["QUAVEL_EVENT_ENDED"])
EVENT_WRAPPED = int(_DEFINES["QUAVEL_EVENT_WRAPPED"])


def code(name, channel=1):
    """The copy-data code of command `name` ("HC_GetState") on `channel`."""
    return COMMANDS[name] + (SECOND_CHANNEL if channel == 2 else 0)
