"""The kit's installer run again and again, as deployment tools do, under Wine: an agent that
never starts (its code, in bounded time, no window), a re-run that keeps the stored settings,
a file that cannot be written, the remembered folder, an uninstaller of another folder and
an uninstaller that finishes before it ends."""
import time

from benchlib import agent, paths
from benchlib.app import AppProcess
from benchlib.driver import run_to_files
from test_kit import (KIT_INSTALLED, SERVER, UNINSTALL_KEY, fresh_machine, install_log, installed,
                      kits, registry_values, run_kit)  # noqa: F401 (kits is a fixture)

KIT_ABORTED = 2
KIT_SERVICE_NOT_RUNNING = 14
SERVICE_KEY = "HKLM\\System\\CurrentControlSet\\Services\\" + paths.SERVICE_NAME


def service_registered(box):
    code, _, _ = run_to_files(["wine", "sc", "query", paths.SERVICE_NAME], box.env, 60)
    return code == 0


def test_an_agent_that_never_starts_ends_with_its_code_without_a_window(sandbox, kits, driver):
    fresh_machine(sandbox, kits("computer-name"))
    installed(sandbox).mkdir(parents=True)
    installed(sandbox, "CorvexWorkstation.behaviour").write_text("stuck\n", encoding="ascii")
    started = time.monotonic()
    process = AppProcess(sandbox, '"C:\\kit.exe" /S', cwd="C:\\")
    windows = []
    while process.running and time.monotonic() - started < 120:
        windows += [window["caption"] for window in driver.windows()]
        time.sleep(0.5)
    assert process.wait(timeout=5) == KIT_SERVICE_NOT_RUNNING
    assert time.monotonic() - started < 90
    assert windows == []
    assert agent.stored_settings(sandbox) == (*SERVER, "")
    assert "[install] Exit code 14" in install_log(sandbox)


def test_a_rerun_keeps_the_stored_settings_and_applies_only_its_switches(sandbox, kits):
    fresh_machine(sandbox, kits("computer-name"))
    assert run_kit(sandbox, "/S /NAME=WS-7 /SERVER=b2.example.com") == KIT_INSTALLED
    # An administrator changes the login in the configurator meanwhile.
    agent.store_settings(sandbox, "b2.example.com", SERVER[1], "CORP\\ops", "WS-7")
    assert run_kit(sandbox, "/S /PORT=9000") == KIT_INSTALLED
    assert agent.stored_settings(sandbox) == ("b2.example.com", 9000, "CORP\\ops", "WS-7")
    assert run_kit(sandbox, "/S /RESETSETTINGS") == KIT_INSTALLED
    assert agent.stored_settings(sandbox) == (*SERVER, "")


def test_a_file_that_cannot_be_written_aborts_before_anything_is_registered(sandbox, kits):
    fresh_machine(sandbox, kits("computer-name"))
    installed(sandbox, "CorvexWorkstation.exe").mkdir(parents=True)  # a folder where the agent goes
    assert run_kit(sandbox, "/S", timeout=120) == KIT_ABORTED
    assert not service_registered(sandbox)
    assert agent.stored_settings(sandbox) is None
    assert "could not be written" in install_log(sandbox)


def test_reruns_keep_the_remembered_folder_and_uninstallers_finish_before_they_end(sandbox, kits):
    fresh_machine(sandbox, kits("computer-name"))
    live, orphan = "C:\\X Y", "C:\\Orphan"
    assert run_kit(sandbox, f"/S /D={orphan}") == KIT_INSTALLED
    assert run_kit(sandbox, f"/S /D={live}") == KIT_INSTALLED
    assert run_kit(sandbox, "/S") == KIT_INSTALLED
    assert not installed(sandbox).exists(), "a plain re-run goes to the remembered folder"
    assert registry_values(sandbox, SERVICE_KEY)["ImagePath"] == f'"{live}\\CorvexWorkstation.exe"'

    # The orphan's uninstaller removes its own files and nothing of the live installation.
    code = AppProcess(sandbox, f'"{orphan}\\Uninstall.exe" /S _?={orphan}', cwd="C:\\").wait(timeout=120)
    assert code == KIT_INSTALLED
    assert agent.firewall_rules(sandbox) == [agent.allow_rule(live + "\\CorvexWorkstation.exe")]
    assert not sandbox.unix_path(orphan + "\\CorvexWorkstation.exe").exists()
    assert registry_values(sandbox, SERVICE_KEY)["ImagePath"] == f'"{live}\\CorvexWorkstation.exe"'
    assert registry_values(sandbox, UNINSTALL_KEY)["InstallLocation"] == live
    agent.wait_for_state(sandbox, "RUNNING")

    # The live one's quiet uninstall ends when its work is done.
    quiet = registry_values(sandbox, UNINSTALL_KEY)["QuietUninstallString"]
    assert AppProcess(sandbox, quiet, cwd="C:\\").wait(timeout=120) == KIT_INSTALLED
    assert not sandbox.unix_path(live + "\\CorvexWorkstation.exe").exists()
    assert not service_registered(sandbox)
    assert agent.firewall_rules(sandbox) == []
    assert sandbox.wine("reg", "query", UNINSTALL_KEY, check=False).returncode != 0
    assert agent.stored_settings(sandbox) == ("backup01.example.com", 9751, "CORP\\backup", ""), "settings stay"
