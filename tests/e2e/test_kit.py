"""The client kit end to end: "Create" with each name choice, the file dialog answered, the real
installer compiled (Debian's makensis behind the bench's adapter); then the installer run
silently on a machine without the agent: settings, service, firewall rule, uninstall entry,
re-runs, an agent that never starts, the remembered folder and the uninstallers. The kit
helper's switches and the build's command line are the unit tables'."""
import shutil
import time

import pytest

from benchlib import agent, paths
from benchlib.app import CAPTION, AppProcess
from benchlib.driver import Driver

APP = "SetupClient"
HOST, LOGIN, NAME, PORT, CREATE = 1000, 1001, 1002, 1004, 1
CHOICES = {"computer-name": (1010, ""), "ask": (1011, ""), "typed-name": (1012, "WS-0142")}
SERVER = ("backup01.example.com", 9751, "CORP\\backup")
KIT_WIN = "C:\\Kits\\kit one.exe"
INSTALL_DIR_WIN = "C:\\Program Files\\Quentara\\Corvex Workstation"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + paths.SERVICE_NAME
INSTALLED, SERVICE_NOT_RUNNING = 0, 14  # the installer's exit codes (docs/KIT.md)
_built = {}


def packet_dir(box):
    return box.program_dir / "CorvexWorkstation" / "Packet"


def compiler_log(box):
    path = packet_dir(box) / "tools" / "makensis.log"
    return path.read_text(errors="replace") if path.is_file() else "(no compiler log)"


def predefined(box, which, name):
    user = next(p for p in (box.drive_c / "users").iterdir() if p.name not in ("Public", "Default"))
    return agent.read_json(user / "AppData" / "Roaming" / "Quentara" / "Corvex Workstation" /
                           "PredefinedClientSettings" / which, name)


def build_kit(box, choice):
    """Runs "Create" with a choice; the built installer's bytes."""
    for source in (paths.ROOT / "src" / "packet" / "build_packet.nsi", paths.ROOT / "src" / "res" / "setup_client.ico"):
        shutil.copy2(source, packet_dir(box))
    (box.drive_c / "Kits").mkdir(exist_ok=True)
    driver, (button, name) = Driver(box), CHOICES[choice]
    process = AppProcess(box, f'"{paths.SETUP_CLIENT_WIN}" --create_packet')
    driver.wait_window(CAPTION, timeout=60)
    for control, value in zip((HOST, PORT, LOGIN), SERVER):
        driver.settext(CAPTION, control, str(value))
    driver.click(CAPTION, button)
    driver.wait_control(CAPTION, NAME, enabled=bool(name), timeout=10)
    if name:
        driver.settext(CAPTION, NAME, name)
    driver.click(CAPTION, CREATE)
    driver.filedialog(path="C:\\Kits\\kit one", timeout=30)
    shown = driver.answer("OK", caption=APP, timeout=300)
    assert shown["text"] == f'The Client distribution kit is saved into "{KIT_WIN}".', compiler_log(box)
    assert process.wait(timeout=30) == 0
    return box.unix_path(KIT_WIN).read_bytes()


@pytest.mark.parametrize("choice", list(CHOICES))
def test_create_builds_a_real_installer_with_each_choice(sandbox, choice):
    data = _built[choice] = build_kit(sandbox, choice)
    assert data[:2] == b"MZ" and "6.9.6.8822".encode("utf-16-le") in data  # the version defines
    log = compiler_log(sandbox)
    assert "exit status 0" in log and ("-DASK_FOR_PARAMETERS" in log) == (choice == "ask")
    user = predefined(sandbox, "User", "user.json")
    assert (user["serverHost"], user["serverPort"], user["login"]) == SERVER
    station = predefined(sandbox, "Workstation", "workstation.json")
    assert (station["workstationName"], station["systemSupplied"]) == (CHOICES[choice][1], choice != "typed-name")


@pytest.fixture
def machine(sandbox, module_sandbox):
    """The sandbox as a machine that never had the agent, with the kit at C:\\kit.exe."""
    if "computer-name" not in _built:
        module_sandbox.unix_path(KIT_WIN).unlink(missing_ok=True)
        _built["computer-name"] = build_kit(module_sandbox, "computer-name")
    agent.delete_service(sandbox)
    (sandbox.drive_c / "kit.exe").write_bytes(_built["computer-name"])
    return sandbox


def run(box, line, timeout=300):
    return AppProcess(box, line, cwd="C:\\").wait(timeout=timeout)


def installed(folder, name="CorvexWorkstation.exe"):
    return folder + "\\" + name


def test_silent_installation_registers_runs_and_uninstalls_the_agent(machine):
    box = machine
    assert run(box, '"C:\\kit.exe" /S') == INSTALLED
    assert agent.stored_settings(box) == (*SERVER, "")
    agent.wait_for_state(box, "RUNNING", timeout=60)
    assert agent.start_type(box) == "AUTO_START"
    assert agent.registry(box, agent.SERVICE_KEY)["ImagePath"] == f'"{installed(INSTALL_DIR_WIN)}"'
    assert agent.firewall_rules(box) == [agent.allow_rule(installed(INSTALL_DIR_WIN))]
    folder = box.unix_path(INSTALL_DIR_WIN)
    assert "settings host backup01.example.com port 9751 login CORP\\backup workstation " in \
        agent.report(box, folder)
    entry = agent.registry(box, UNINSTALL_KEY)
    assert (entry["DisplayName"], entry["DisplayVersion"], entry["InstallLocation"]) == \
        ("Corvex Workstation", "6.9.6.8822", INSTALL_DIR_WIN)
    assert entry["QuietUninstallString"] == f'"{installed(INSTALL_DIR_WIN, "Uninstall.exe")}" /S _?={INSTALL_DIR_WIN}'

    # A re-run keeps what an administrator changed since and applies only its switches.
    agent.store_settings(box, SERVER[0], SERVER[1], "CORP\\ops", "WS-7")
    assert run(box, '"C:\\kit.exe" /S /PORT=9000') == INSTALLED
    assert agent.stored_settings(box) == (SERVER[0], 9000, "CORP\\ops", "WS-7")

    assert run(box, entry["QuietUninstallString"], timeout=120) == INSTALLED
    assert not (folder / "CorvexWorkstation.exe").exists() and agent.registry(box, UNINSTALL_KEY) is None
    assert agent.sc(box, "query", paths.SERVICE_NAME) != 0, "the service is still registered"
    assert agent.firewall_rules(box) == []
    assert agent.stored_settings(box) == (SERVER[0], 9000, "CORP\\ops", "WS-7"), "the settings stay"


def test_an_agent_that_never_starts_ends_with_its_code_in_bounded_time(machine, driver):
    folder = machine.unix_path(INSTALL_DIR_WIN)
    folder.mkdir(parents=True)
    agent.set_behaviour(machine, "stuck", folder)
    started = time.monotonic()
    process = AppProcess(machine, '"C:\\kit.exe" /S', cwd="C:\\")
    windows = []
    while process.running and time.monotonic() - started < 120:
        windows += driver.windows()
        time.sleep(0.5)
    assert process.wait(timeout=5) == SERVICE_NOT_RUNNING
    assert time.monotonic() - started < 90 and windows == []
    assert agent.stored_settings(machine) == (*SERVER, "")


def test_reruns_keep_the_remembered_folder_and_an_orphan_uninstaller_leaves_the_live_one(machine):
    box, live, orphan = machine, "C:\\X Y", "C:\\Orphan"
    assert run(box, f'"C:\\kit.exe" /S /D={orphan}') == INSTALLED
    assert run(box, f'"C:\\kit.exe" /S /D={live}') == INSTALLED
    assert run(box, '"C:\\kit.exe" /S') == INSTALLED
    assert not box.unix_path(INSTALL_DIR_WIN).exists(), "a plain re-run goes to the remembered folder"
    assert agent.registry(box, agent.SERVICE_KEY)["ImagePath"] == f'"{installed(live)}"'
    assert run(box, f'"{installed(orphan, "Uninstall.exe")}" /S _?={orphan}', timeout=120) == INSTALLED
    assert not box.unix_path(installed(orphan)).exists()
    assert agent.registry(box, agent.SERVICE_KEY)["ImagePath"] == f'"{installed(live)}"'
    assert agent.registry(box, UNINSTALL_KEY)["InstallLocation"] == live
    assert agent.firewall_rules(box) == [agent.allow_rule(installed(live))]
    agent.wait_for_state(box, "RUNNING")
