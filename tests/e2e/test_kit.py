"""The client distribution kit end to end: "Create" in the kit dialog with each workstation-name
choice, the file dialog answered, the real installer compiled (Debian's makensis behind the
bench's compiler adapter); the installer then run silently in a fresh prefix, where it installs
the test agent with the predefined settings and starts its service; a missing compiler; and the
"--debug" batch file, byte for byte."""
import json
import shutil
import time

import pytest

from benchlib import agent, paths
from benchlib.app import AppProcess
from benchlib.app import CAPTION
from benchlib.driver import Driver, DriverError, run_to_files

APP = "SetupClient"
HOST, LOGIN, NAME, PORT = 1000, 1001, 1002, 1004
COMPUTER_NAME, ASK, TYPED = 1010, 1011, 1012
CREATE, CANCEL = 1, 2

PACKET_DIR_WIN = paths.PROGRAM_DIR_WIN + "\\CorvexWorkstation\\Packet"
COMPILER_WIN = PACKET_DIR_WIN + "\\tools\\makensis.exe"
SCRIPT_WIN = PACKET_DIR_WIN + "\\build_packet.nsi"
KIT_WIN = "C:\\Kits\\kit one.exe"
SAVED = 'The Client distribution kit is saved into "C:\\Kits\\kit one.exe".'
INSTALL_DIR = ("Program Files", "Quentara", "Corvex Workstation")
KIT_CAPTION = "Corvex Workstation Setup"

SERVER = ("backup01.example.com", 9751, "CORP\\backup")
CANCELLED = 1  # the configurator's exit code for a dialog closed without applying
# The installer's exit codes (docs/KIT.md). The sandbox's firewall stand-in keeps rules, so a
# silent installation that succeeds ends with 0.
KIT_BAD_SWITCH = 10
KIT_INSTALLED = 0

CHOICES = {"computer-name": (COMPUTER_NAME, ""), "ask": (ASK, ""), "typed-name": (TYPED, "WS-0142")}

_built_kits = {}


def install_compiler(box):
    """Puts the compiler adapter, the kit script, its helper and the icon where the configurator
    and the script look for them."""
    tools = box.program_dir / "CorvexWorkstation" / "Packet" / "tools"
    tools.mkdir(parents=True, exist_ok=True)
    shutil.copy2(paths.bin_program("tools/makensis.exe"), tools / "makensis.exe")
    shutil.copy2(paths.ROOT / "src" / "packet" / "build_packet.nsi", tools.parent / "build_packet.nsi")
    shutil.copy2(paths.bin_program("CorvexKitSetup.exe"), tools.parent / "CorvexKitSetup.exe")
    shutil.copy2(paths.ROOT / "src" / "res" / "setup_client.ico", tools.parent / "setup_client.ico")
    (box.drive_c / "Kits").mkdir(exist_ok=True)


def compiler_log(box):
    path = box.program_dir / "CorvexWorkstation" / "Packet" / "tools" / "makensis.log"
    return path.read_text(encoding="utf-8", errors="replace") if path.is_file() else "(no compiler log)"


def open_dialog(driver, process):
    """Waits for the kit dialog; on failure, says what became of the program."""
    try:
        driver.wait_window(CAPTION, timeout=60)
    except DriverError as error:
        state = "running" if process.running else f"ended with {process.wait()}"
        raise AssertionError(f"{error}\nprogram {state}; message boxes: {driver.messageboxes()}") from None


def fill_and_create(driver, process, button, typed_name):
    open_dialog(driver, process)
    driver.settext(CAPTION, HOST, SERVER[0])
    driver.settext(CAPTION, PORT, str(SERVER[1]))
    driver.settext(CAPTION, LOGIN, SERVER[2])
    driver.click(CAPTION, button)
    driver.wait_control(CAPTION, NAME, enabled=button == TYPED, timeout=10)
    if button == TYPED:
        driver.settext(CAPTION, NAME, typed_name)
    driver.click(CAPTION, CREATE)


def windows_user(box):
    users = [p.name for p in (box.drive_c / "users").iterdir() if p.name not in ("Public", "Default")]
    assert len(users) == 1, users
    return users[0]


def predefined_dir_win(box, which):
    return (f"C:\\users\\{windows_user(box)}\\AppData\\Roaming\\Quentara\\Corvex Workstation\\"
            f"PredefinedClientSettings\\{which}\\")


def read_predefined(box, which, name):
    folder = box.drive_c / "users" / windows_user(box) / "AppData" / "Roaming" / "Quentara" / \
        "Corvex Workstation" / "PredefinedClientSettings" / which
    return json.loads((folder / name).read_text(encoding="utf-8"))


def build_kit(box, driver, choice):
    """Runs "Create" with a choice and returns the built installer's bytes; checks the way there."""
    button, typed_name = CHOICES[choice]
    install_compiler(box)
    process = AppProcess(box, f'"{paths.SETUP_CLIENT_WIN}" --create_packet')
    fill_and_create(driver, process, button, typed_name)
    driver.filedialog(path="C:\\Kits\\kit one", timeout=30)
    box_shown = driver.messagebox(caption=APP, timeout=300)
    assert box_shown["text"] == SAVED, compiler_log(box)
    assert box_shown["icon"] == "information"
    driver.answer("OK", caption=APP)
    assert process.wait(timeout=30) == 0
    kit = box.unix_path(KIT_WIN)
    assert kit.is_file(), compiler_log(box)
    return kit.read_bytes()


@pytest.mark.parametrize("choice", list(CHOICES))
def test_create_builds_a_real_installer_with_each_choice(sandbox, driver, screenshot, choice):
    data = build_kit(sandbox, driver, choice)
    _built_kits[choice] = data
    screenshot("after-create")

    assert data[:2] == b"MZ" and len(data) > 100_000
    # The product version defines end up in the installer's version information.
    assert "6.9.6.8822".encode("utf-16-le") in data
    log = compiler_log(sandbox)
    assert "exit status 0" in log
    assert ("-DASK_FOR_PARAMETERS" in log) == (choice == "ask")

    user = read_predefined(sandbox, "User", "user.json")
    assert (user["serverHost"], user["serverPort"], user["login"]) == SERVER
    station = read_predefined(sandbox, "Workstation", "workstation.json")
    assert station["workstationName"] == CHOICES[choice][1]
    assert station["systemSupplied"] == (choice != "typed-name")


@pytest.fixture(scope="module")
def kits(module_sandbox):
    """Installers built by "Create" (reused from the tests above when they ran)."""
    def get(choice):
        if choice not in _built_kits:
            for leftover in (module_sandbox.unix_path(KIT_WIN),):
                if leftover.exists():
                    leftover.unlink()
            _built_kits[choice] = build_kit(module_sandbox, Driver(module_sandbox), choice)
        return _built_kits[choice]
    return get


def fresh_machine(box, kit_bytes):
    """The sandbox as a machine that never had the agent: no service; the kit at C:\\kit.exe."""
    agent.delete_service(box)
    (box.drive_c / "kit.exe").write_bytes(kit_bytes)


def run_kit(box, tail, timeout=300):
    return AppProcess(box, f'"C:\\kit.exe" {tail}', cwd="C:\\").wait(timeout=timeout)


def installed(box, *parts):
    return box.drive_c.joinpath(*INSTALL_DIR, *parts)


def agent_report(box):
    path = installed(box, "CorvexWorkstation.report")
    return path.read_text(encoding="utf-8").splitlines() if path.is_file() else []


def registry_values(box, key):
    """The values of a registry key as {name: text}, from `reg query`."""
    values = {}
    for line in box.wine("reg", "query", key).stdout.splitlines():
        words = line.strip().split(None, 2)
        if len(words) >= 2 and words[1].startswith("REG_"):
            values[words[0]] = words[2] if len(words) == 3 else ""
    return values


INSTALL_DIR_WIN = "C:\\Program Files\\Quentara\\Corvex Workstation"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + paths.SERVICE_NAME
INSTALL_LOG = ("ProgramData", "Quentara", "Corvex Workstation", "Logs", "setup.log")


def install_log(box):
    path = box.drive_c.joinpath(*INSTALL_LOG)
    return path.read_text(encoding="utf-8", errors="replace") if path.is_file() else ""


def test_silent_installation_installs_the_agent_with_the_predefined_settings(sandbox, kits):
    fresh_machine(sandbox, kits("computer-name"))
    assert run_kit(sandbox, "/S") == KIT_INSTALLED
    assert agent.firewall_rules(sandbox) == [agent.allow_rule(INSTALL_DIR_WIN + "\\CorvexWorkstation.exe")]

    for name in ("CorvexWorkstation.exe", "SetupClient.exe", "Uninstall.exe"):
        assert installed(sandbox, name).is_file(), name
    assert agent.stored_settings(sandbox) == (*SERVER, "")
    agent.wait_for_state(sandbox, "RUNNING", timeout=60)
    assert agent.start_type(sandbox) == "AUTO_START"
    report = agent_report(sandbox)
    assert "settings host backup01.example.com port 9751 login CORP\\backup workstation " in report, report

    entry = registry_values(sandbox, UNINSTALL_KEY)
    assert entry["DisplayName"] == "Corvex Workstation" and entry["DisplayVersion"] == "6.9.6.8822"
    assert entry["Publisher"] == "Quentara" and entry["InstallLocation"] == INSTALL_DIR_WIN
    assert entry["DisplayIcon"] == INSTALL_DIR_WIN + "\\SetupClient.exe,0"
    assert int(entry["EstimatedSize"], 0) > 100, entry  # KiB of the installed files
    assert entry["QuietUninstallString"] == f'"{INSTALL_DIR_WIN}\\Uninstall.exe" /S _?={INSTALL_DIR_WIN}'
    log = install_log(sandbox)
    assert "[install] Registered the service" in log and "[install] Exit code 0" in log, log


def test_switches_override_the_predefined_settings(sandbox, kits):
    fresh_machine(sandbox, kits("ask"))
    tail = '/S /server=backup02.example.com /PORT=09000 "/LOGIN=CORP\\backup admin" /NAME=WS-7'
    assert run_kit(sandbox, tail) == KIT_INSTALLED
    assert agent.stored_settings(sandbox) == ("backup02.example.com", 9000, "CORP\\backup admin", "WS-7")
    agent.wait_for_state(sandbox, "RUNNING", timeout=60)
    assert "settings host backup02.example.com port 9000 login CORP\\backup admin workstation WS-7" \
        in agent_report(sandbox)


@pytest.fixture(scope="module")
def untouched_machine(module_sandbox, kits):
    """One machine for the refused switches, which must leave it as it was."""
    fresh_machine(module_sandbox, kits("computer-name"))
    return module_sandbox


@pytest.mark.parametrize("tail", ["/S /SEVER=typo", '/S "/SERVER=two words"'])
def test_a_refused_switch_ends_with_its_code_and_changes_nothing(untouched_machine, tail):
    box = untouched_machine
    assert run_kit(box, tail, timeout=120) == KIT_BAD_SWITCH
    assert not installed(box).exists()
    assert agent.stored_settings(box) is None
    code, _, _ = run_to_files(["wine", "sc", "query", paths.SERVICE_NAME], box.env, 60)
    assert code != 0, "no service may be registered"


@pytest.mark.parametrize("tail, text, icon, code", [
    # "/s" is no silent switch: the installer framework reads "/S" only, as written.
    ("/s", 'Unknown switch "/s".', "error", KIT_BAD_SWITCH),
    ("/?", "Corvex Workstation 6.9.6.8822 setup", "information", 0),
])
def test_a_refused_switch_or_the_help_is_shown_when_the_run_is_not_silent(sandbox, kits, driver, tail, text, icon,
                                                                          code):
    fresh_machine(sandbox, kits("computer-name"))
    process = AppProcess(sandbox, f'"C:\\kit.exe" {tail}', cwd="C:\\")
    shown = driver.messagebox(timeout=60)
    assert shown["text"].startswith(text), shown
    assert shown["icon"] == icon
    driver.answer("OK")
    assert process.wait(timeout=60) == code
    assert not installed(sandbox).exists()


# A compiler that cannot be started, and the debug batch file.
@pytest.mark.parametrize("missing, code", [("compiler", 2), ("folder", 3)])
def test_a_missing_compiler_is_reported_and_the_dialog_stays_open(app, driver, sandbox, screenshot,
                                                                  missing, code):
    packet = sandbox.program_dir / "CorvexWorkstation"
    if missing == "folder":
        shutil.rmtree(packet, ignore_errors=True)
    else:
        (packet / "Packet" / "tools").mkdir(parents=True, exist_ok=True)
        (packet / "Packet" / "tools" / "makensis.exe").unlink(missing_ok=True)
    (sandbox.drive_c / "Kits").mkdir(exist_ok=True)
    process = app("--create_packet")
    fill_and_create(driver, process, COMPUTER_NAME, "")
    driver.filedialog(path=KIT_WIN, timeout=30)
    shown = driver.messagebox(caption=APP, timeout=60)
    assert shown["text"] == f"Can't launch the client packet builder (system error is {code})."
    assert shown["icon"] == "error"
    screenshot("launch-failure")
    driver.answer("OK", caption=APP)
    driver.wait_control(CAPTION, CREATE, enabled=True, timeout=10)  # still open
    assert not (sandbox.program_dir / "client_packet_build.bat").exists(), "no batch file without --debug"
    driver.click(CAPTION, CANCEL)
    assert process.wait(timeout=30) == CANCELLED


def expected_batch_line(box, ask):
    user = predefined_dir_win(box, "User")
    station = predefined_dir_win(box, "Workstation")
    line = (COMPILER_WIN + "  /DPRODUCT_VERSION_MAJOR=6.9 /DPRODUCT_VERSION_MINOR=6.8822"
            f' /DUSER_SETTINGS_DIR="{user}\\"'
            f' /DWORKSTATION_SETTINGS_DIR="{station}\\"'
            ' /DAPP_DIR_SUFFIX="Quentara\\Corvex Workstation\\\\"'
            f' /DOUTPUT="{KIT_WIN}"'
            f' /DCURRENT_WORK_DIR="{paths.PROGRAM_DIR_WIN}\\\\"')
    if ask:
        line += " /DASK_FOR_PARAMETERS"
    return (line + f' "{SCRIPT_WIN}"').encode("ascii")


def test_debug_writes_the_command_into_the_batch_file_before_each_start(app, driver, sandbox):
    (sandbox.program_dir / "CorvexWorkstation" / "Packet" / "tools" / "makensis.exe").unlink(missing_ok=True)
    (sandbox.drive_c / "Kits").mkdir(exist_ok=True)
    batch = sandbox.program_dir / "client_packet_build.bat"
    process = app("--create_packet", "--debug")

    # The start fails, and the file holds the command all the same.
    fill_and_create(driver, process, COMPUTER_NAME, "")
    driver.filedialog(path=KIT_WIN, timeout=30)
    driver.messagebox(caption=APP, timeout=60)
    driver.answer("OK", caption=APP)
    assert batch.read_bytes() == expected_batch_line(sandbox, ask=False)

    # Another "Create" rewrites it.
    driver.click(CAPTION, ASK)
    driver.click(CAPTION, CREATE)
    driver.filedialog(path=KIT_WIN, timeout=30)
    driver.messagebox(caption=APP, timeout=60)
    driver.answer("OK", caption=APP)
    assert batch.read_bytes() == expected_batch_line(sandbox, ask=True)

    driver.click(CAPTION, CANCEL)
    assert process.wait(timeout=30) == CANCELLED


def installer_window(driver, timeout=60):
    """The caption of the installer's window (each page adds its own text to the caption)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for window in driver.windows():
            if window["caption"].startswith(KIT_CAPTION):
                return window["caption"]
        time.sleep(0.5)
    raise AssertionError(f"no installer window; windows: {driver.windows()}")


def test_interactive_installation_asks_for_the_name_and_opens_the_install_time_dialog(sandbox, kits, driver,
                                                                                        screenshot):
    fresh_machine(sandbox, kits("ask"))
    # The switch fills the name page, which then takes it over.
    process = AppProcess(sandbox, '"C:\\kit.exe" /NAME=WS-7', cwd="C:\\")
    driver.click(installer_window(driver), 1)  # the folder page: Next
    page = installer_window(driver)
    driver.wait_control(page, 1, text="&Install", timeout=30)  # the name page comes last
    screenshot("name-page")
    driver.click(page, 1)

    driver.wait_window(CAPTION, timeout=120)  # the configurator's install-time dialog
    driver.wait_control(CAPTION, NAME, text="WS-7", timeout=10)
    driver.click(CAPTION, CREATE)  # OK: saves, then restarts the service
    driver.wait_gone(CAPTION, timeout=120)

    # The finished page: Close, once the installer has ended its work.
    deadline = time.monotonic() + 120
    while True:
        finished = installer_window(driver)
        if driver.control(finished, 1)["enabled"]:
            break
        assert time.monotonic() < deadline, "the installer never finished"
        time.sleep(0.5)
    driver.click(finished, 1)
    assert process.wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) == (*SERVER, "WS-7")
    agent.wait_for_state(sandbox, "RUNNING", timeout=60)
