"""The project's version as the Python side sees it, read from the one place
it is written down: project() in the top CMakeLists.txt."""
import os
import re

LISTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "CMakeLists.txt")


def version():
    with open(LISTS) as lists:
        return re.search(r"^project\(\w+ VERSION (\S+)", lists.read(), re.MULTILINE).group(1)
