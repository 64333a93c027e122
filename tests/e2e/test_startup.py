"""Start-up: a real command line chooses the dialog, and each dialog opens as its template says.

The switch rules themselves (letter case, precedence, what is no switch) are the unit table's;
here each dialog opens once from a command line that Windows splits (quotes, letter case).
Every case starts SetupClient.exe in a fresh sandbox (agent service registered, stopped),
waits for its dialog, compares the live window with the template the program carries, checks
the state the dialog opens in, saves a screenshot, and where the dialog has a Cancel button,
checks that Cancel ends the program."""
import pytest

from benchlib import paths
from benchlib.app import CAPTION
from benchlib.driver import DriverError

# (test id, arguments after the program path as typed on the command line, template)
STARTS = [
    ("no-switch", "", 103),
    ("quoted-switch", '"--create_packet"', 102),
    ("mixed-case-switch", "--Install_Client", 104),
]

# How each dialog opens: the control with the focus, the enabled and checked states that the
# opening sets (the agent service is registered and stopped), and whether it has Cancel.
OPENING = {
    103: {"focus": 1000, "enabled": {1006: True, 1007: False, 1008: False, 1005: True}, "cancel": True},
    102: {"focus": 1000, "enabled": {1002: False, 1010: True},
          "checked": {1010: True, 1011: False, 1012: False}, "cancel": True},
    104: {"focus": 1000, "enabled": {1000: True, 1001: True, 1002: True, 1004: True, 1005: True},
          "cancel": False},
}


def open_dialog(driver, process):
    """The dialog's description once it is visible; on failure, says what is on screen."""
    try:
        return driver.controls(CAPTION, timeout=30)
    except DriverError as error:
        state = "running" if process.running else f"ended with {process.wait()}"
        raise AssertionError(f"{error}\nprogram {state}; message boxes: {driver.messageboxes()}; "
                             f"dialogs: {driver.windows()}") from None


def opening_problems(number, seen):
    expected = OPENING[number]
    by_id = {c["id"]: c for c in seen["controls"]}
    problems = []
    if seen["focus"] != expected["focus"]:
        problems.append(f"focus on {seen['focus']}, wanted {expected['focus']}")
    for key in ("enabled", "checked"):
        for control_id, wanted in expected.get(key, {}).items():
            if by_id[control_id].get(key) != wanted:
                problems.append(f"control {control_id}: {key} is {by_id[control_id].get(key)}")
    if (2 in by_id) != expected["cancel"]:
        problems.append("Cancel is " + ("there" if 2 in by_id else "missing"))
    return problems


@pytest.mark.parametrize("tail, number", [(t, n) for _, t, n in STARTS], ids=[i for i, _, _ in STARTS])
def test_command_line_opens_its_dialog(app, driver, screenshot, tail, number):
    process = app.raw(tail)
    seen = open_dialog(driver, process)
    assert screenshot(f"template-{number}").is_file()

    assert driver.template(CAPTION, paths.SETUP_CLIENT_WIN, number)["problems"] == []
    assert opening_problems(number, seen) == []
    assert driver.messageboxes() == []

    if OPENING[number]["cancel"]:
        driver.click(CAPTION, 2)
        process.wait(timeout=30)
        assert driver.windows() == []
