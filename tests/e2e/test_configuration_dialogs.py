"""The workstation configuration dialog and the install-time dialog, driven as a user would:
what they show, what they store, what the agent service does and what the agent reads."""
import json

import pytest

from benchlib import agent
from benchlib.app import CAPTION

APP = "SetupClient"  # the caption of the program's message boxes
HOST, PORT, LOGIN = 1000, 1004, 1001
NAME, DEFAULTS, START, STOP, RESTART, OK, CANCEL = 1002, 1005, 1006, 1007, 1008, 1, 2


def texts(driver):
    seen = {c["id"]: c for c in driver.controls(CAPTION, timeout=30)["controls"]}
    return {i: seen[i]["text"] for i in (HOST, PORT, LOGIN, NAME)}


def service_buttons(driver):
    return tuple(driver.control(CAPTION, i)["enabled"] for i in (START, STOP, RESTART))


RUNNING, STOPPED = (False, True, True), (True, False, False)


@pytest.fixture
def stored(sandbox):
    agent.store_settings(sandbox, "backup.example.com", 9750, "CORP\\backup", "WS-01")


def test_opens_with_what_a_previous_save_stored(app, driver, stored, screenshot):
    process = app()
    assert texts(driver) == {HOST: "backup.example.com", PORT: "9750", LOGIN: "CORP\\backup", NAME: "WS-01"}
    assert service_buttons(driver) == STOPPED
    screenshot("stopped")
    # Escape cancels this dialog (the install-time dialog below must ignore the same key).
    driver.key(CAPTION, "ESCAPE", control_id=HOST)
    assert process.wait() == 1


def test_buttons_of_a_running_service(app, driver, sandbox, stored, screenshot):
    agent.start_service(sandbox)
    process = app()
    driver.wait_window(CAPTION, timeout=30)
    assert service_buttons(driver) == RUNNING
    screenshot("running")
    driver.click(CAPTION, STOP)  # a click puts the focus on the button, which the stop disables
    driver.wait_control(CAPTION, START, enabled=True, timeout=60)
    assert service_buttons(driver) == STOPPED
    assert sandbox.service_state() == "STOPPED"
    assert agent.start_type(sandbox) == "DEMAND_START"
    # The focus landed on a live control, and the keyboard still works from there.
    focused = [c for c in driver.controls(CAPTION)["controls"] if c["focused"]]
    assert [(c["id"], c["enabled"]) for c in focused] == [(START, True)]
    driver.key(CAPTION, "TAB")
    assert [c["id"] for c in driver.controls(CAPTION)["controls"] if c["focused"]] == [OK]
    driver.key(CAPTION, "ESCAPE")
    assert process.wait() == 1


@pytest.mark.parametrize("switch, before", [
    ((), "nothing stored"),
    (("--install_client",), "nothing stored"),
    ((), "load defaults"),
    (("--install_client",), "kit store"),  # the kit's first and second name choices store this
])
def test_an_empty_workstation_name_is_accepted_as_the_computers_name(app, driver, sandbox, switch, before,
                                                                     screenshot):
    if before == "kit store":
        agent.store_settings(sandbox, "backup.example.com", 9750, "CORP\\backup", "", system_supplied=True)
    if before == "load defaults":
        agent.store_settings(sandbox, "backup.example.com", 9750, "CORP\\backup", "WS-01")
    process = app(*switch)
    driver.wait_window(CAPTION, timeout=30)
    if before == "load defaults":
        driver.click(CAPTION, DEFAULTS)
        driver.wait_control(CAPTION, HOST, text="localhost", timeout=10)
    assert texts(driver)[NAME] == ""
    screenshot("empty-name")  # box 1002 says in grey what the empty name stands for
    driver.click(CAPTION, OK)
    assert process.wait(timeout=60) == 0, "nothing typed, and OK was accepted"
    kit = before == "kit store"
    assert agent.stored_settings(sandbox) == ("backup.example.com" if kit else "localhost", 9750,
                                              "CORP\\backup" if kit else "Administrator", "")
    station = json.loads((agent.settings_dir(sandbox) / "workstation.json").read_text(encoding="utf-8"))
    assert station["systemSupplied"] is True, "kept as the computer's own name"
    assert sandbox.service_state() == "RUNNING"


def test_an_invalid_host_brings_the_librarys_message_and_focuses_the_host(app, driver, stored, screenshot):
    app()
    driver.wait_window(CAPTION, timeout=30)
    driver.settext(CAPTION, HOST, "bad host!")
    driver.focus(CAPTION, LOGIN)
    driver.click(CAPTION, OK)
    box = driver.messagebox(caption=APP, timeout=30)
    assert "host" in box["text"].lower()
    screenshot("rejected-host")
    driver.answer("OK", caption=APP)
    driver.wait_control(CAPTION, HOST, focused=True, timeout=10)


NUMBER = "Please enter a positive integer."
PORT_RANGE = "The server port must be a number from 1 to 65535."


# One pasted text per check the port meets under Wine; the dialog's own table holds the others.
@pytest.mark.parametrize("text, message", [
    ("97a0", NUMBER),          # pasted: the field's digits-only rule stops typing, not pasting
    ("65537", PORT_RANGE),     # would be port 1 in 16 bits
])
def test_a_bad_port_is_refused_with_its_message_and_nothing_is_stored(app, driver, sandbox, stored, text,
                                                                      message):
    process = app()
    driver.wait_window(CAPTION, timeout=30)
    driver.settext(CAPTION, PORT, text)
    driver.focus(CAPTION, HOST)
    driver.click(CAPTION, OK)
    box = driver.messagebox(caption=APP, timeout=30)
    assert box["text"] == message
    driver.answer("OK", caption=APP)
    driver.wait_control(CAPTION, PORT, focused=True, timeout=10)
    assert process.running, "the dialog stays open"
    assert agent.stored_settings(sandbox) == ("backup.example.com", 9750, "CORP\\backup", "WS-01")


def test_typing_into_the_port_keeps_only_digits(app, driver, stored):
    app()
    driver.wait_window(CAPTION, timeout=30)
    driver.settext(CAPTION, PORT, "")
    driver.type(CAPTION, PORT, "9x7-5.1")
    assert driver.control(CAPTION, PORT)["text"] == "9751"


# Yes under Wine: the store, the service and the agent are real here. What each answer does
# (Cancel, No, Yes) is the dialog table's.
def test_start_after_an_edit_applies_on_yes_and_starts_the_agent_once_with_the_new_settings(app, driver, sandbox,
                                                                                            stored):
    app()
    driver.wait_window(CAPTION, timeout=30)
    driver.settext(CAPTION, HOST, "new.example.com")
    driver.click(CAPTION, START)
    box = driver.messagebox(caption=APP, timeout=30)
    assert box["text"] == "Do you want to apply the settings?"
    driver.answer("Yes", caption=APP)
    driver.wait_control(CAPTION, START, enabled=False, timeout=60)
    assert driver.messageboxes() == [], "no error (a second start would be refused as already running)"
    assert agent.stored_settings(sandbox)[0] == "new.example.com"
    assert sandbox.service_state() == "RUNNING"
    assert any(line.startswith("settings host new.example.com ") for line in agent.report(sandbox))


def test_ok_stores_the_settings_and_restarts_the_agent_with_them(app, driver, sandbox, stored):
    agent.start_service(sandbox)
    process = app()
    driver.wait_window(CAPTION, timeout=30)
    driver.settext(CAPTION, HOST, "10.20.30.40")
    driver.settext(CAPTION, PORT, "9801")
    driver.click(CAPTION, OK)
    assert process.wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) == ("10.20.30.40", 9801, "CORP\\backup", "WS-01")
    lines = agent.report(sandbox)
    assert "control stop" in lines
    assert lines[-1].startswith("state running") or sandbox.service_state() == "RUNNING"
    assert "settings host 10.20.30.40 port 9801 login CORP\\backup workstation WS-01" in lines


def test_install_time_dialog_ignores_escape_and_close(app, driver, sandbox, stored, screenshot):
    process = app("--install_client")
    driver.wait_window(CAPTION, timeout=30)
    driver.settext(CAPTION, HOST, "new.example.com")
    driver.key(CAPTION, "ESCAPE", control_id=HOST)
    driver.close(CAPTION)
    driver.wait_window(CAPTION, timeout=5)
    assert process.running
    assert agent.stored_settings(sandbox)[0] == "backup.example.com"
    screenshot("still-open")
    driver.click(CAPTION, OK)
    assert process.wait(timeout=60) == 0
    assert agent.stored_settings(sandbox)[0] == "new.example.com"
    assert sandbox.service_state() == "RUNNING"


def test_install_time_dialog_closes_after_ok_even_when_the_service_cannot_start(app, driver, sandbox, stored):
    agent.delete_service(sandbox)
    process = app("--install_client")
    driver.wait_window(CAPTION, timeout=30)
    driver.click(CAPTION, OK)
    assert driver.messagebox(caption=APP, timeout=30)["text"] == "Unknown system error"
    driver.answer("OK", caption=APP)
    assert driver.messagebox(caption=APP, timeout=30)["text"] == "Unknown system error. Code: 1060"
    driver.answer("OK", caption=APP)
    assert process.wait(timeout=30) == 0
    assert agent.stored_settings(sandbox)[0] == "backup.example.com"
