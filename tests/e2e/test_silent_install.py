"""The silent modes from a real command line: the exit code a deployment tool reads, the
service restart, the firewall rule (the bench's stand-in keeps it) and the local settings.
Switch spelling and precedence are the unit table's."""
from benchlib import agent, paths

APP = "SetupClient"
AGENT_RULE = agent.allow_rule(paths.PROGRAM_DIR_WIN + "\\CorvexWorkstation.exe")


def test_silent_install_starts_the_agent_automatically_and_adds_one_rule(app, driver, sandbox):
    assert app("--silent_install").wait(timeout=60) == 0
    assert driver.windows() == [], "a window was shown"
    assert agent.firewall_rules(sandbox) == [AGENT_RULE]
    assert sandbox.service_state() == "RUNNING" and agent.start_type(sandbox) == "AUTO_START"
    assert "control stop" not in agent.report(sandbox)
    assert agent.stored_settings(sandbox) is None, "the silent install stores no settings"
    # Again, on the running service: stopped and started, and no second rule.
    assert app("--silent_install").wait(timeout=60) == 0
    lines = agent.report(sandbox)
    assert [line for line in lines[lines.index("control stop"):] if line.startswith("start behaviour")], lines
    assert agent.firewall_rules(sandbox) == [AGENT_RULE]
    assert sandbox.service_state() == "RUNNING"


def test_a_missing_service_shows_its_messages_and_ends_with_not_running(app, driver, sandbox):
    agent.delete_service(sandbox)
    process = app("--silent_install")
    for text in ("Unknown system error", "Unknown system error. Code: 1060"):
        assert driver.answer("OK", caption=APP, timeout=30)["text"] == text
    assert process.wait(timeout=30) == 1


def test_local_install_stores_localhost_from_the_defaults_and_starts_the_agent(app, sandbox):
    agent.store_settings(sandbox, "backup.example.com", 1234, "CORP\\someone", "WS-07")
    assert app("--Silent_Install_Local").wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) == ("localhost", 9750, "Administrator", "localhost")
    agent.wait_for_state(sandbox, "RUNNING")
    assert "settings host localhost port 9750 login Administrator workstation localhost" in agent.report(sandbox)
    assert agent.firewall_rules(sandbox) == [AGENT_RULE]
