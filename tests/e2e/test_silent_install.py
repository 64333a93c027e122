"""The silent modes from a real command line: firewall step, service restart, the local
settings, the messages a failing step shows, and the exit code a deployment tool reads.
The sandbox's firewall is the bench's stand-in, which keeps the rules it is given. Letter case
and quoting of the switches are the unit table's and the start-up test's."""
from benchlib import agent, paths

SERVICE_NOT_RUNNING = 1
CAPTION = "SetupClient"
AGENT_RULE = agent.allow_rule(paths.PROGRAM_DIR_WIN + "\\CorvexWorkstation.exe")


def test_a_stopped_service_is_started_and_made_automatic(app, driver, sandbox):
    process = app("--silent_install")
    assert process.wait(timeout=60) == 0
    assert driver.messageboxes() == []
    assert agent.firewall_rules(sandbox) == [AGENT_RULE]
    assert sandbox.service_state() == "RUNNING"
    assert agent.start_type(sandbox) == "AUTO_START"
    assert "control stop" not in agent.report(sandbox)
    assert agent.stored_settings(sandbox) is None, "the silent install stores no settings"


def test_a_running_service_is_stopped_and_started_again(app, sandbox):
    agent.start_service(sandbox)
    process = app("--silent_install")
    assert process.wait(timeout=60) == 0
    assert app("--silent_install").wait(timeout=60) == 0
    assert agent.firewall_rules(sandbox) == [AGENT_RULE], "a second run adds no second rule"
    lines = agent.report(sandbox)
    stop = lines.index("control stop")
    assert any(line.startswith("start behaviour") for line in lines[stop:]), lines
    assert sandbox.service_state() == "RUNNING"


def test_a_missing_service_shows_the_status_then_the_start_message(app, driver, sandbox, screenshot):
    agent.delete_service(sandbox)
    process = app("--silent_install")
    first = driver.messagebox(caption=CAPTION, timeout=30)
    assert first["text"] == "Unknown system error"
    screenshot("status-message")
    driver.answer("OK", caption=CAPTION)
    second = driver.messagebox(caption=CAPTION, timeout=30)
    assert second["text"] == "Unknown system error. Code: 1060"
    driver.answer("OK", caption=CAPTION)
    assert process.wait(timeout=30) == SERVICE_NOT_RUNNING


def test_local_install_stores_localhost_from_the_defaults_and_starts_the_agent(app, sandbox):
    agent.store_settings(sandbox, "backup.example.com", 1234, "CORP\\someone", "WS-07")
    process = app("--Silent_Install_Local")
    assert process.wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) == ("localhost", 9750, "Administrator", "localhost")
    assert sandbox.service_state() == "RUNNING"
    assert "settings host localhost port 9750 login Administrator workstation localhost" in agent.report(sandbox)


def test_silent_install_wins_over_the_local_install(app, sandbox):
    process = app("--silent_install_local", "--silent_install")
    assert process.wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) is None
