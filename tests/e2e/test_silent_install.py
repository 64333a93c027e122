# The silent modes from a real command line: the program's manifest, the exit code a deployment
# tool reads, no window, the agent restarted by the real service manager (a slow one followed to
# its end), the firewall rule (the bench's stand-in keeps it), the local settings on disk, the
# workstation dialog's Stop, and the service manager's own error for a missing service. Switch
# spelling and precedence are the in-process tests'.
from benchlib import agent, paths
from benchlib.app import CAPTION, AppProcess
from benchlib.driver import Driver

AGENT_RULE = agent.allow_rule(paths.PROGRAM_DIR_WIN + "\\CorvexWorkstation.exe")
STORED = ("backup.example.com", 1234, "CORP\\someone", "WS-07")


def test_silent_install_then_local_install_on_the_running_slow_agent(sandbox):
    # The program's manifest: administrator rights without UI access, common controls 6, drawn at the display's
    # scale. It and the kit's helper are window programs: no console opens.
    program, helper = (paths.bin_program(name).read_bytes() for name in ("SetupClient.exe", "CorvexKitSetup.exe"))
    assert b'level="requireAdministrator" uiAccess="false"' in program and b'Controls" version="6.0.0.0"' in program
    assert b">true</dpiAware>" in program
    assert all(exe[int.from_bytes(exe[0x3C:0x40], "little") + 0x5C] == 2 for exe in (program, helper))
    # Rules for the agent that let no server in (outbound, disabled) and a port's, for no program; and one that
    # blocks the agent, which wins over the rule added: the exception is not confirmed (bit 2).
    others = [AGENT_RULE[:i] + (value,) + AGENT_RULE[i + 1:] for i, value in ((2, 2), (5, False), (1, ""), (3, 0))]
    agent.store_settings(sandbox, *STORED), agent.set_firewall_rules(sandbox, others)
    registered = agent.registry(sandbox, agent.SERVICE_KEY)  # to be started on demand, in a shared process
    assert AppProcess(sandbox, f'"{paths.SETUP_CLIENT_WIN}" --silent_install').wait(timeout=60) == 2
    # The silent install changes no settings.
    assert agent.firewall_rules(sandbox) == others + [AGENT_RULE] and agent.stored_settings(sandbox) == STORED
    assert sandbox.service_state() == "RUNNING" and agent.starts_automatically(sandbox)
    # Again, on the running agent: the local settings replace the stored ones, then the agent is
    # stopped and started, its start (slow now) followed through its checkpoints to running, and
    # no second rule is added (the agent's is there, naming it in other letter case, before the others), and the
    # rule blocking the agent is now outbound, disabled, or the public networks' (the machine is on its domain's).
    blocking = [others[3][:i] + (value,) + others[3][i + 1:] for i, value in ((2, 2), (5, False), (4, 4))]
    rules = [agent.allow_rule(AGENT_RULE[1].upper())] + others[:3] + blocking
    agent.set_behaviour(sandbox, "slow"), agent.set_firewall_rules(sandbox, rules)
    assert AppProcess(sandbox, f'"{paths.SETUP_CLIENT_WIN}" --Silent_Install_Local').wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) == ("localhost", 9750, "Administrator", "localhost")
    assert (lines := agent.report(sandbox)).index("control stop") < lines.index("start behaviour slow arguments 0") < \
        lines.index("settings host localhost port 9750 login Administrator workstation localhost")
    assert sandbox.service_state() == "RUNNING" and agent.firewall_rules(sandbox) == rules
    # The workstation dialog's Stop, sent to an agent stopped behind its back since the dialog opened:
    # the manager's refusal told, the agent to be started by hand, its registration as it was (the
    # start types were all it changed); its Start, sent to an agent started behind its back: the
    # refusal told with its code. Cancel ends with 1.
    process, driver = AppProcess(sandbox, f'"{paths.SETUP_CLIENT_WIN}"'), Driver(sandbox)
    driver.text(CAPTION, 1007, timeout=60)  # the dialog is there, Stop live
    agent.sc(sandbox, "stop", paths.SERVICE_NAME), agent.wait_for_state(sandbox, "STOPPED"), driver.click(CAPTION, 1007)
    assert driver.answer("OK", caption="SetupClient", timeout=30)["text"] == "Unknown system error"
    assert agent.registry(sandbox, agent.SERVICE_KEY) == registered
    agent.sc(sandbox, "start", paths.SERVICE_NAME), agent.wait_for_state(sandbox, "RUNNING")
    driver.click(CAPTION, 1006)
    assert driver.answer("OK", caption="SetupClient", timeout=30)["text"] == "Unknown system error. Code: 1056"
    assert driver.click(CAPTION, 2) and process.wait(timeout=60) == 1  # Cancel (the driver answers {"done": true})


def test_a_missing_service_shows_its_messages_and_ends_with_not_running_and_no_rule(sandbox):
    # No service, and no firewall either.
    agent.delete_service(sandbox), (sandbox.drive_c / "windows" / "system32" / "hnetcfg.dll").unlink()
    process = AppProcess(sandbox, f'"{paths.SETUP_CLIENT_WIN}" --silent_install')
    for text in ("Unknown system error", "Unknown system error. Code: 1060"):
        assert Driver(sandbox).answer("OK", caption="SetupClient", timeout=30)["text"] == text
    assert process.wait(timeout=30) == 1 | 2
