# The configuration and install-time dialogs of the real program against the real service
# manager, store and test agent: OK stores the settings and restarts the agent, which reads them
# after its stop; Start sets the automatic start type, Stop the manual one. Which dialog a command
# line opens, and what the dialogs do with typing, buttons, bad input and service errors, is the
# in-process tests'.
import pytest

from benchlib import agent, paths
from benchlib.app import CAPTION

HOST, PORT, STOP, OK = 1000, 1004, 1007, 1


@pytest.mark.parametrize("switch", [(), ("--install_client",)], ids=["configuration", "install-time"])
def test_ok_stores_and_restarts_the_agent_then_stop_stops_it_for_good(app, driver, sandbox, switch):
    agent.store_settings(sandbox, "backup.example.com", 9750, "CORP\\backup", "WS-01")
    agent.start_service(sandbox)
    rule = agent.allow_rule(paths.PROGRAM_DIR_WIN.lower() + "\\corvexworkstation.EXE")  # letter case aside, the agent's
    agent.set_firewall_rules(sandbox, [rule])
    process = app(*switch)
    driver.wait_window(CAPTION, timeout=30)
    driver.settext(CAPTION, HOST, "10.20.30.40")
    driver.settext(CAPTION, PORT, "9801")
    driver.click(CAPTION, OK)
    assert process.wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) == ("10.20.30.40", 9801, "CORP\\backup", "WS-01")
    agent.wait_for_state(sandbox, "RUNNING")
    lines = agent.report(sandbox)
    assert lines.index("control stop") < lines.index("settings host 10.20.30.40 port 9801 login CORP\\backup "
                                                     "workstation WS-01")
    assert agent.start_type(sandbox) == "AUTO_START"
    assert agent.firewall_rules(sandbox) == [rule], "no second rule"

    before = agent.registry(sandbox, agent.SERVICE_KEY)
    app()
    driver.click(CAPTION, STOP, timeout=30)
    agent.wait_for_state(sandbox, "STOPPED")
    assert agent.start_type(sandbox) == "DEMAND_START"
    assert {**agent.registry(sandbox, agent.SERVICE_KEY), "Start": ""} == {**before, "Start": ""}, "only Start changes"
