"""Start-up: the command line chooses the dialog, and each dialog opens as its template says.

Every case starts SetupClient.exe in a fresh sandbox (agent service registered, stopped),
waits for its dialog, compares every control with the template, checks the state the dialog
opens in, saves a screenshot, and where the dialog has a Cancel button, checks that Cancel
ends the program."""
import pytest

from benchlib.dialog_templates import CAPTION, TEMPLATES, check_dialog
from benchlib.driver import DriverError

# (test id, arguments after the program path as typed on the command line, template)
STARTS = [
    ("no-switch", "", 103),
    ("create-packet", "--create_packet", 102),
    ("install-client", "--install_client", 104),
    ("create-packet-before-install-client", "--create_packet --install_client", 102),
    ("install-client-before-create-packet", "--install_client --create_packet", 102),
    ("upper-case-switch", "--CREATE_PACKET", 102),
    ("mixed-case-switch", "--Install_Client", 104),
    ("quoted-switch", '"--create_packet"', 102),
    ("other-arguments-are-ignored", "unknown --create_packet --verbose", 102),
    ("slash-form-is-no-switch", "/create_packet", 103),
    ("switch-with-a-value-is-no-switch", "--create_packet=1", 103),
    ("single-dash-is-no-switch", "-install_client", 103),
]

# How each dialog opens: the control with the focus, and the enabled and checked states that
# the opening sets (the agent service is registered and stopped).
OPENING = {
    103: {"focus": 1000, "enabled": {1006: True, 1007: False, 1008: False, 1005: True}},
    102: {"focus": 1000, "enabled": {1002: False, 1010: True},
          "checked": {1010: True, 1011: False, 1012: False}},
    104: {"focus": 1000, "enabled": {1000: True, 1001: True, 1002: True, 1004: True, 1005: True}},
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
    return problems


@pytest.mark.parametrize("tail, number", [(t, n) for _, t, n in STARTS], ids=[i for i, _, _ in STARTS])
def test_command_line_opens_its_dialog(app, driver, screenshot, tail, number):
    process = app.raw(tail)
    seen = open_dialog(driver, process)
    shot = screenshot(f"template-{number}")
    assert shot.is_file()

    assert check_dialog(TEMPLATES[number], seen) == []
    assert opening_problems(number, seen) == []
    assert driver.messageboxes() == []

    if 2 in TEMPLATES[number].ids():
        driver.click(CAPTION, 2)
        process.wait(timeout=30)
        assert driver.windows() == []
