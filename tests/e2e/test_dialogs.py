"""The dialogs of the real program under Wine against the real service manager, store and test
agent: OK storing and restarting the agent, Stop, and the service faults. Which
dialog a command line opens, and what the dialogs do with typing, buttons and bad input, is the
in-process dialog tests'."""
import time

import pytest

from benchlib import agent, paths
from benchlib.app import CAPTION

APP = "SetupClient"  # the caption of the program's message boxes
HOST, PORT, START, STOP, RESTART, OK = 1000, 1004, 1006, 1007, 1008, 1
RUNNING, STOPPED = (False, True, True), (True, False, False)
WAIT_BOUND = 20  # the agent's wait hints are 2-3 s; Wine and the driver add a few seconds


def buttons(driver):
    return tuple(driver.control(CAPTION, i)["enabled"] for i in (START, STOP, RESTART))


@pytest.fixture
def stored(sandbox):
    agent.store_settings(sandbox, "backup.example.com", 9750, "CORP\\backup", "WS-01")


# The install-time dialog saves, then restarts: the agent starts with the new settings.
@pytest.mark.parametrize("switch", [(), ("--install_client",)], ids=["configuration", "install-time"])
def test_ok_stores_and_restarts_the_agent_with_the_new_settings(app, driver, sandbox, stored, switch):
    agent.start_service(sandbox)
    process = app(*switch)
    driver.wait_window(CAPTION, timeout=30)
    driver.settext(CAPTION, HOST, "10.20.30.40")
    driver.settext(CAPTION, PORT, "9801")
    driver.click(CAPTION, OK)
    assert process.wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) == ("10.20.30.40", 9801, "CORP\\backup", "WS-01")
    agent.wait_for_state(sandbox, "RUNNING")
    lines = agent.report(sandbox)
    assert lines.index("control stop") < lines.index("settings host 10.20.30.40 port 9801 login CORP\\backup workstation WS-01")
    assert agent.start_type(sandbox) == "AUTO_START"
    assert agent.firewall_rules(sandbox) == [agent.allow_rule(paths.PROGRAM_DIR_WIN + "\\CorvexWorkstation.exe")]


def test_stop_stores_the_manual_start_type_and_frees_the_buttons(app, driver, sandbox, stored):
    agent.start_service(sandbox)
    before = agent.registry(sandbox, agent.SERVICE_KEY)
    app()
    driver.wait_window(CAPTION, timeout=30)
    assert buttons(driver) == RUNNING
    driver.click(CAPTION, STOP)
    driver.wait_control(CAPTION, START, enabled=True, timeout=60)
    assert buttons(driver) == STOPPED and sandbox.service_state() == "STOPPED"
    assert agent.start_type(sandbox) == "DEMAND_START"
    after = agent.registry(sandbox, agent.SERVICE_KEY)
    assert {**after, "Start": ""} == {**before, "Start": ""}, "only the start type changes"


# (agent behaviour, messages in turn after Start, state after, least seconds). A click then a
# close: the close is handled once the button's work has ended, so the end of the process times
# that work; slow is followed to the end, stuck given up after its hint. Each sets the automatic
# start type before its start request.
FAULTS = [
    ("missing", ["Unknown system error. Code: 1060", "Unknown system error"], None, 0),
    ("slow", [], "RUNNING", 2.8),
    ("stuck", [], "START_PENDING", 2),
]


@pytest.mark.parametrize("behaviour, messages, state, at_least", FAULTS, ids=[f[0] for f in FAULTS])
def test_service_faults_give_their_message_and_end_within_the_wait_rules(app, driver, sandbox, stored, behaviour,
                                                                         messages, state, at_least):
    if behaviour == "missing":
        agent.delete_service(sandbox)
    else:
        agent.set_behaviour(sandbox, behaviour)
    process = app()
    if behaviour == "missing":  # the status at opening fails first
        assert driver.answer("OK", caption=APP, timeout=30)["text"] == "Unknown system error"
    driver.wait_window(CAPTION, timeout=30)
    started = time.monotonic()
    driver.click(CAPTION, START)
    for text in messages:
        assert driver.answer("OK", caption=APP, timeout=WAIT_BOUND)["text"] == text
    driver.close(CAPTION)
    assert process.wait(timeout=WAIT_BOUND + 10) == 1, "the dialog did not end (a message box?)"
    assert at_least <= time.monotonic() - started < WAIT_BOUND
    if state:
        agent.wait_for_state(sandbox, state, timeout=WAIT_BOUND)
        assert agent.start_type(sandbox) == "AUTO_START"
