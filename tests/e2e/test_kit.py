# The client kit end to end: "Create" with the file dialog answered and the real installer
# compiled (Debian's makensis behind the bench's adapter) with the predefined settings; that
# installer run silently on a machine without the agent (settings, service, firewall rule,
# uninstall entry, re-runs, a move, the uninstaller, an agent that never starts) and by a user
# who is asked for the name. The kit helper's switches, each name choice and the build's
# command line are the unit and in-process tests'.
import os, re, shutil, struct, time

import pytest

from benchlib import agent, paths
from benchlib.app import CAPTION, AppProcess
from benchlib.driver import Driver

# Control ids: DEFAULT is the default button of each window (Create, OK, Next, Install, Close), NAME_PAGE_BOX the
# name page's text box.
HOST, LOGIN, NAME, PORT, DEFAULT, NAME_PAGE_BOX, DIR_BOX = 1000, 1001, 1002, 1004, 1, 1201, 1019
# What the kit dialog is given: each name choice's radio button and typed name; the server's host, port and login.
CHOICES, SERVER = {"ask": (1011, ""), "typed-name": (1012, "WS-0142")}, ("backup01.example.com", 9751, "CORP\\backup")
KIT_WIN = "C:\\Kits\\kit Ω for every workstation.exe"  # longer than the name the file dialog offers
INSTALL_DIR_WIN = "C:\\Program Files\\Quentara\\Corvex Workstation"
PENDING_KEY = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager"  # files that go at the next restart
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + paths.SERVICE_NAME
INSTALLED, ABORTED, BAD_SWITCH, SERVICE_NOT_RUNNING, UNCONFIRMED = 0, 2, 10, 14, 16  # exit codes (docs/KIT.md)


def compiler_log(box):
    path = box.program_dir / "CorvexWorkstation" / "Packet" / "tools" / "makensis.log"
    return path.read_text(errors="replace") if path.is_file() else "(no compiler log)"


def build_kit(box, choice, over_a_file=False):  # "Create" with a choice; the built installer's bytes
    (box.drive_c / "Kits").mkdir(exist_ok=True)
    if over_a_file:
        box.unix_path(KIT_WIN).write_bytes(b"an older kit")
    driver, (button, name) = Driver(box), CHOICES[choice]
    process = AppProcess(box, f'"{paths.SETUP_CLIENT_WIN}" --create_packet --debug', cwd="C:\\")
    for control, value in zip((HOST, PORT, LOGIN), SERVER):
        driver.settext(CAPTION, control, str(value), timeout=60)  # the first waits for the dialog
    driver.click(CAPTION, button), name and driver.settext(CAPTION, NAME, name)  # the choice, and its name if typed
    # Create; the file dialog cancelled builds nothing, and Create again.
    driver.click(CAPTION, DEFAULT), driver.click("Save As", 2, timeout=30), driver.click(CAPTION, DEFAULT)
    offered = driver.filedialog(KIT_WIN[:-4], timeout=30)  # owned by the dialog: the dialog waits for it
    assert offered == "CorvexWorkstation_setup.exe|" + "Executive Files (*.exe)|" * 2 + "All Files (*.*)|" + CAPTION
    if over_a_file:  # the program's own question, and no other before it: owned by the dialog, its icon, Yes default
        assert driver.answer("Yes", caption="SetupClient", timeout=30) == {"caption": "SetupClient", "owner": CAPTION,
            "text": f'"{KIT_WIN}" already exists. Do you want to replace it?', "icon": True, "default": True}
    shown = driver.answer("OK", caption="SetupClient", timeout=300)
    assert shown["text"] == f'The Client distribution kit is saved into "{KIT_WIN}".', compiler_log(box)
    # The configurator ended with 0; the compiler ran in its working folder, with a plain start-up record; its
    # command line beside the configurator ("--debug"), one byte a letter: it ends before the folder's Ω.
    assert process.wait() == 0 and compiler_log(box).startswith("makensis adapter: in C:\\, start-up flags 0\n")
    assert (box.program_dir / "client_packet_build.bat").read_bytes() == b"C:\\Program Files\\Corvex "
    # The predefined settings lie in the roaming profile.
    user = box.drive_c / "users" / paths.WINE_USER
    predefined = user / "AppData/Roaming/Quentara/Corvex Workstation/PredefinedClientSettings"
    assert (predefined / "User/user.json").is_file() and (predefined / "Workstation/workstation.json").is_file()
    # The installer's icon is the product's (its largest image ends the file); it asks for an administrator's rights
    # and is drawn at the display's scale; its product and file versions are the product's whole version, as texts
    # and as numbers.
    assert (paths.ROOT / "src/res/setup_client.ico").read_bytes()[-999:] in (kit := box.unix_path(KIT_WIN).read_bytes())
    assert b'level="requireAdministrator"' in kit and b">true</dpiAware>" in kit
    assert kit.count("6.9.6.8822".encode("utf-16-le")) == 2
    assert struct.unpack_from("<8H", kit, kit.index(b"\xbd\x04\xef\xfe") + 8) == (9, 6, 8822, 6) * 2
    return kit


def last_read(box, folder):  # the settings the agent in `folder` read at its last start
    words = [line.split() for line in agent.report(box, box.unix_path(folder)) if line.startswith("settings ")]
    return (words[-1][2], int(words[-1][4]), words[-1][6], words[-1][8]) if words else None


def run(box, line, timeout=300):
    return AppProcess(box, line, cwd="C:\\").wait(timeout=timeout)


def test_silent_installation_registers_runs_reruns_and_uninstalls_the_agent(sandbox):
    box, folder, exe, settings = sandbox, "C:\\X Ω", "C:\\X Ω\\CorvexWorkstation.exe", (*SERVER, "WS-0142")
    # The typed-name kit built at C:\kit.exe, then the agent's service removed.
    box.drive_c.joinpath("kit.exe").write_bytes(build_kit(box, "typed-name")), agent.delete_service(box)
    # An administrator's own rule for the agent (outbound TCP, blocked) stays through installs and re-runs.
    agent.set_firewall_rules(box, [own := ("Agent out", exe, 2, 0, 0x7FFFFFFF, True, 6)])
    # The log's folder made beforehand, so that every user may change it: the installation protects it.
    (logs := agent.settings_dir(box).parent / "Logs").mkdir(parents=True), logs.chmod(0o777)
    begun = time.strftime("%Y-%m-%d %H:%M:%S")  # every line of the log starts with the local time of its step
    assert run(box, f'"C:\\kit.exe" /S /D={folder}') == INSTALLED
    log, ended = agent.setup_log(box), time.strftime("%Y-%m-%d %H:%M:%S")
    assert all(re.match(r"[-\d]{10} [:\d]{8} \[[a-z]+\] ", l) and begun <= l[:19] <= ended for l in log)
    # The helper's line, and the settings stored; the new folder holds only the kit's files, so it is protected.
    assert f"[install] Installation folder {folder}" in {l[20:] for l in log} and agent.stored_settings(box) == settings
    assert not [line for line in log if "other programs' files" in line] and not logs.stat().st_mode & 0o002
    assert log[3][20:] == f"[installer] Corvex Workstation 6.9.6.8822 into {folder}, switches: /S", "after the check"
    # The check's scratch copy lies below the kit's own folder, gone with it: not in the installation
    # folder, nor in the folder the installer was started in, nor in the agent's store.
    assert not any((p / "check").exists() for p in (box.unix_path(folder), box.drive_c, agent.settings_dir(box)))
    agent.wait_for_state(box, "RUNNING", timeout=60)
    assert last_read(box, folder) == settings, "the agent started before the settings were written"
    # A damaged copy of the kit (a bit of its check sum, which ends the file, changed) stops before it does anything.
    (box.drive_c / "bad.exe").write_bytes((kit := (box.drive_c / "kit.exe").read_bytes())[:-1] + bytes([kit[-1] ^ 1]))
    assert run(box, '"C:\\bad.exe" /S') == ABORTED and (agent.setup_log(box), box.service_state()) == (log, "RUNNING")
    service = agent.registry(box, agent.SERVICE_KEY)  # an own-process service, automatic, normal error control
    assert (service["ImagePath"], service["DisplayName"], service["Type"], service["Start"], service["ErrorControl"],
            service["ObjectName"]) == (f'"{exe}"', "Corvex Workstation x64", "0x10", "0x2", "0x1", "LocalSystem")
    assert agent.firewall_rules(box) == [own, agent.allow_rule(exe)]
    entry, uninstaller = agent.registry(box, UNINSTALL_KEY), f'"{folder}\\Uninstall.exe"'
    # The installed size, a number (a DWORD) of KiB: its programs take MiBs.
    assert (size := entry.pop("EstimatedSize"))[:2] == "0x" and 1024 < int(size, 0) < 1 << 20, "the installed size"
    assert entry == {"DisplayName": "Corvex Workstation", "DisplayVersion": "6.9.6.8822", "Publisher": "Quentara",
                     "InstallLocation": folder, "DisplayIcon": folder + "\\SetupClient.exe,0", "NoModify": "0x1",
                     "UninstallString": f"{uninstaller} _?={folder}", "NoRepair": "0x1",
                     "QuietUninstallString": f"{uninstaller} /S _?={folder}"}
    configurator = (box.unix_path(folder) / "SetupClient.exe").read_bytes()  # its details: the entry's version
    for key, value in ("ProductVersion", entry["DisplayVersion"]), ("OriginalFilename", "SetupClient.exe"):
        assert re.search(key.encode("utf-16-le") + b"(\0\0){1,2}" + value.encode("utf-16-le"), configurator), key

    # A plain re-run goes to the remembered folder, repairs the program files (even one newer
    # than the kit's), keeps the settings an administrator changed since and applies only its
    # switches.
    agent.store_settings(box, SERVER[0], SERVER[1], "CORP\\öps", "WS-7")
    original, built = (program := box.unix_path(folder + "\\SetupClient.exe")).stat().st_mtime, program.read_bytes()
    program.write_bytes(b"damaged"), os.utime(program, (original + 86400, original + 86400))
    # A policy overrides the machine's firewall rules: the agent's rule, there already, is not confirmed.
    (state := box.drive_c / "windows" / "firewall_modify_state.txt").write_text("1")
    assert run(box, '"C:\\kit.exe" /S /PORT=9000') == UNCONFIRMED and program.read_bytes() == built
    state.unlink()
    assert agent.stored_settings(box) == last_read(box, folder) == (changed := (SERVER[0], 9000, "CORP\\öps", "WS-7"))
    assert not box.unix_path(INSTALL_DIR_WIN).exists() and agent.firewall_rules(box) == [own, agent.allow_rule(exe)]
    assert agent.registry(box, agent.SERVICE_KEY) == service, "the registration renewed as it was"
    agent.wait_for_state(box, "RUNNING")

    # A refused switch (one it does not know, mistyped beyond ASCII): the helper's reason whole in the
    # installer's own line of the log, in UTF-8 as every line; the log keeps every run's lines (and no wait
    # for an agent's file that is not there, or is free; a stop only of the running agent, before the re-run's copy).
    assert run(box, '"C:\\kit.exe" /S /PÖRT=9750') == BAD_SWITCH
    exits = [l.split("] ", 1)[1] for l in agent.setup_log(box) if any(w in l for w in ("] Exit", "in use", "] Stop"))]
    assert exits[:9] == ["Exit code 0"] * 4 + ["Stopped the service.", "Exit code 0"] + [
        "Exit code 16: The firewall exception for the agent could not be confirmed."] + exits[-1:] * 2
    assert exits[-1].startswith('Exit code 10: Unknown switch "/PÖRT=9750".') and agent.stored_settings(box) == changed
    # A folder every user may change, shared with another program: refused before the agent is stopped.
    (shared := box.drive_c / "Shared").mkdir(), (shared / "notes.txt").write_text(""), shared.chmod(0o777)
    assert run(box, '"C:\\kit.exe" /S /D=C:\\Shared') == BAD_SWITCH and box.service_state() == "RUNNING"
    for mistyped in ("/s", '"/S"'):  # refused by the helper; taken for an interactive run by the installer
        assert run(box, '"C:\\kit.exe" ' + mistyped, timeout=60) == BAD_SWITCH, "a silent run mistyped: no box"
    # A re-run while the configurator runs from the folder (its file cannot be replaced): ended with 2, the agent
    # stopped for the copy started again, automatic.
    (held := AppProcess(box, f'"{folder}\\SetupClient.exe"', cwd="C:\\")), Driver(box).text(CAPTION, 1, timeout=60)
    assert run(box, entry["QuietUninstallString"], timeout=120) == ABORTED and box.service_state() == "RUNNING"
    assert run(box, '"C:\\kit.exe" /S') == ABORTED and box.service_state() == "RUNNING"
    assert agent.starts_automatically(box) and \
        agent.setup_log(box)[-3].endswith("[resume] The service runs again and starts automatically.")
    # The configurator closed; a move whose settings cannot be written (user.json made a folder): 11, the log's last
    # line, the agent automatic and running again, and the entry still the earlier folder's, whose agent runs.
    Driver(box).click(CAPTION, 2), held.wait(60), (user := agent.settings_dir(box) / "user.json").unlink(), user.mkdir()
    assert run(box, '"C:\\kit.exe" /S /D=' + (moved := "C:\\Moved Ω")) == 11 and box.service_state() == "RUNNING"
    assert agent.starts_automatically(box) and agent.registry(box, UNINSTALL_KEY)["InstallLocation"] == folder
    assert "[installer] Exit code 11: " in agent.setup_log(box)[-1]
    user.rmdir(), agent.store_settings(box, *changed)
    # One that cannot write its uninstaller (Uninstall.exe made a folder): 2, the agent running again too. The log's
    # folder a user's link: nothing is written through it.
    logs.rename(kept := logs.with_name("Kept"))
    (elsewhere := box.drive_c / "elsewhere").mkdir(), logs.symlink_to(elsewhere)
    (unins := box.unix_path(folder) / "Uninstall.exe").rename(aside := box.drive_c / "Uninstall.kept"), unins.mkdir()
    assert run(box, '"C:\\kit.exe" /S') == ABORTED and box.service_state() == "RUNNING"
    assert agent.starts_automatically(box) and not any(elsewhere.iterdir())
    unins.rmdir(), aside.rename(unins), logs.unlink(), kept.rename(logs)

    # Moved to another folder: the earlier folder's uninstaller (an older kit's there replaced by this kit's) removes
    # its files (but itself, which runs in place, the test agent's report and another program's library) and leaves
    # the new installation be.
    (box.unix_path(folder) / "Uninstall.exe").write_bytes(b"an older kit's uninstaller")
    assert run(box, '"C:\\kit.exe" /S /D=' + moved) == INSTALLED
    (box.unix_path(folder) / "Other.dll").write_bytes(b"not the kit's")
    assert run(box, entry["QuietUninstallString"], timeout=120) == INSTALLED
    assert sorted(p.name for p in box.unix_path(folder).iterdir()) == \
        ["CorvexWorkstation.report", "Other.dll", "Uninstall.exe"]
    pending = agent.registry(box, PENDING_KEY)["PendingFileRenameOperations"]  # at restart, then its folder
    assert pending == f"\\??\\{folder}\\Uninstall.exe\\0\\0\\??\\{folder}\\\\0", pending
    entry, exe = agent.registry(box, UNINSTALL_KEY), moved + "\\CorvexWorkstation.exe"
    assert entry["InstallLocation"] == moved and agent.firewall_rules(box) == [agent.allow_rule(exe)], "the rule stays"
    agent.wait_for_state(box, "RUNNING")

    # Its two rules (behind another program's, whose path begins with the agent's; the last disabled), and
    # the folder its uninstaller is told, in other letter case; the agent's program file already gone.
    agent.set_firewall_rules(box, [agent.allow_rule(p, p != exe.upper()) for p in (exe + ".bak", exe, exe.upper())])
    # The agent's program file gone by hand, or by an antivirus (its service and rules go all the same), and the log's
    # folder too (made again for the uninstaller's first line).
    box.unix_path(exe).unlink(), shutil.rmtree(agent.settings_dir(box).parent / "Logs")
    assert run(box, entry["QuietUninstallString"].replace("=C:\\Moved Ω", "=c:\\moved ω"), timeout=120) == INSTALLED
    # The uninstall entry and the service gone, the other program's rule left, the settings kept.
    assert agent.registry(box, UNINSTALL_KEY) is None and agent.sc(box, "query", paths.SERVICE_NAME) != 0
    assert agent.firewall_rules(box) == [agent.allow_rule(exe + ".bak")] and agent.stored_settings(box) == changed
    assert (log := agent.setup_log(box))[0].endswith("[installer] Uninstalling from c:\\moved ω") and \
        log[-3].endswith("No firewall exception for c:\\moved ω\\CorvexWorkstation.exe is left.")
    assert log[-1].endswith("[installer] Exit code 0"), "the uninstaller's own line"
    # Run again, it finds nothing left to remove, which is no failure.
    assert run(box, entry["QuietUninstallString"], timeout=120) == INSTALLED

    # Again, into the default folder, with an agent that never starts: the installation ends with the
    # helper's code in bounded time and stays; its uninstaller tells a file it cannot remove (the agent's,
    # in use; nothing of the files already gone) in its log, then by its exit code, and keeps itself and its
    # entry for another run; a re-run that cannot write it stops before it registers anything, but takes the
    # folder back from the removals at the next restart that an uninstaller run in place queues.
    (default := box.unix_path(INSTALL_DIR_WIN)).mkdir(parents=True), agent.set_behaviour(box, "stuck", default)
    assert run(box, '"C:\\kit.exe" /S', timeout=90) == SERVICE_NOT_RUNNING
    # Each line has its own time: the helper's first and its wait's last lie seconds apart.
    waited = [l for l in agent.setup_log(box) if "] Installation folder" in l or "running state" in l][-2:]
    assert waited[0][:19] < waited[1][:19] and "running state" in waited[1], waited
    assert "DisplayVersion" not in (entry := agent.registry(box, UNINSTALL_KEY)), "not detected: a tool runs it again"
    (box.drive_c / "windows" / "system32" / "hnetcfg.dll").unlink()  # the helper fails too: the file still counts
    assert run(box, entry["QuietUninstallString"], timeout=120) == ABORTED
    told = [l[20:] for l in agent.setup_log(box) if re.search(" in use|not be removed|code 2$", l)]
    assert told == [f"[uninstall] The agent's program file is still in use: {INSTALL_DIR_WIN}\\CorvexWorkstation.exe",
                    f"[installer] A file in {INSTALL_DIR_WIN} could not be removed; the uninstaller and its entry stay "
                    "for another run.", "[installer] Exit code 2"]
    queued = agent.registry(box, PENDING_KEY)["PendingFileRenameOperations"].split("\\0")  # the earlier folder's
    assert agent.registry(box, UNINSTALL_KEY) == entry and (default / "Uninstall.exe").is_file() and \
        not [p for p in queued if INSTALL_DIR_WIN in p]
    # This folder's removals as an uninstaller run in place queues them, other programs' beside them: a removal in a
    # folder whose name begins with this one's and a rename below this one (both to stay), and a removal of the
    # folder itself, without its closing backslash and in other letter case (taken back too).
    here, lower = "\\??\\" + INSTALL_DIR_WIN, "\\??\\" + INSTALL_DIR_WIN.lower()
    mine, others = [here + "\\Uninstall.exe", "", here + "\\", ""], [here + "2\\x", "", here + "\\a.tmp"]
    others += ["!" + here + "\\a"]
    agent.set_restart_queue(box, queued + mine + others + [lower, ""])
    assert run(box, '"C:\\kit.exe" /S', timeout=90) == ABORTED and agent.registry(box, UNINSTALL_KEY) == entry
    assert agent.registry(box, PENDING_KEY)["PendingFileRenameOperations"].split("\\0") == queued + others
    assert not (default / "SetupClient.exe").exists(), "the configurator copied before the agent"
    stop, ended = [l[20:] for l in agent.setup_log(box)[-6:-1]], agent.setup_log(box)[-1]  # the stop waited too
    taken = [f"[stop] Taken back from its removal at the next restart: {p[4:]}." for p in mine[::2] + [lower]]
    assert stop == taken + [told[0].replace("[uninstall]", "[stop]"), "[stop] Exit code 0"] and "Exit code 2: " in ended
    assert ended.endswith(f"could not be written into {INSTALL_DIR_WIN}. Nothing was registered.")


def test_interactive_installation_asks_for_the_name_then_opens_the_install_time_dialog(sandbox):
    # A kit that asks for the name, built over an older one; installed by a user on a machine
    # whose service still names an older agent elsewhere (its own name its only display name): a
    # refused switch is shown in a box, and so is the help (but under /S); the name page shows the
    # name given by a switch and refuses a bad name with the helper's reason; emptied, the box
    # stands for the computer's name over the switch's: the install-time dialog shows the kit's
    # server (and the login a switch gave) with no name, and its OK (which stores them so) starts
    # the new agent, which nothing started before, under the product's display name. With the
    # firewall out of reach from then on (no box tells it; codes and the log do), a re-run by the
    # user that cannot write the settings tells why and starts the agent it stopped again; the
    # next stores the name typed on the page, and a silent one ends with 16. Its uninstaller, run
    # by the user, removes the programs and ends with its helper's code. Neither stops or removes
    # anything before its pages are passed.
    # The installer's caption (a blank after it but on the name page).
    box, setup, remover, driver = sandbox, "Corvex Workstation Setup", "Corvex Workstation Uninstall ", Driver(sandbox)
    box.drive_c.joinpath("kit.exe").write_bytes(build_kit(box, "ask", over_a_file=True))
    refused = AppProcess(box, '"C:\\kit.exe" /PORTS=0', cwd="C:\\")  # without /S a refusal is shown, whole
    assert driver.text(setup, 1, timeout=60) and "[installer] Exit code 10: " in agent.setup_log(box)[-1], "told"
    assert (told := driver.answer("OK", caption=setup))["icon"] and told["text"].endswith(" to see them).")
    assert refused.wait(timeout=60) == BAD_SWITCH
    # /? shows the version, the switches as they are written, where the log is and the exit codes; with /S it shows
    # nothing and ends.
    helped, logged = AppProcess(box, '"C:\\kit.exe" /?', cwd="C:\\"), agent.setup_log(box)
    told = driver.answer("OK", caption=setup, timeout=60)["text"]
    assert told.startswith("Corvex Workstation 6.9.6.8822 setup\r\n\r\n/S\t") and helped.wait(timeout=60) == 0
    assert [l.split("\t")[0] for l in told.split("\r\n") if l[:1] == "/"] == \
        ["/S", "/SERVER=host", "/PORT=number", "/LOGIN=login", "/NAME=name", "/RESETSETTINGS", "/D=folder", "/?"]
    assert "Log: %ProgramData%\\Quentara\\Corvex Workstation\\Logs\\setup.log\r\n" in told
    assert told.endswith("codes: 0 installed; 1 cancelled; 2 aborted, files not written; 10 bad switch or "
                         "folder;\r\n11 settings not written; 12 service not registered; 13 helper not started;"
                         "\r\n14 service not running; 15 no administrator rights; 16 firewall exception not "
                         "confirmed;\r\n17 helper failed (see the log).")
    assert run(box, '"C:\\kit.exe" /S /?', timeout=60) == 0 and agent.setup_log(box) == logged, "nothing logged"
    # Cancel on the folder page, the question to quit answered by its default (Yes): ended with 1, told in the log.
    (cancelled := AppProcess(box, '"C:\\kit.exe"', cwd="C:\\")), driver.click(setup + " ", 2, timeout=60)
    assert driver.answer("Yes", caption=setup)["default"] and cancelled.wait(timeout=60) == 1
    assert agent.setup_log(box)[-1].endswith("[installer] Exit code 1: cancelled by the user. Nothing was changed.")
    # The last /NAME= counts, quoted or not; a login's backquote and apostrophe before them hide none.
    process = AppProcess(box, '"C:\\kit.exe" /LOGIN=d`\'s /NAME=WS-1 "/name=WS-0142"\t/NCRC', cwd="C:\\")
    # Next on the folder page, whose header names the product. Browse, from the folder typed, puts the product's own
    # folder below the one chosen; the default typed back.
    assert driver.text(setup + " ", 1038, timeout=60)["text"] == \
        "Choose the folder in which to install Corvex Workstation."
    driver.settext(setup + " ", DIR_BOX, "C:\\Program Files"), driver.click(setup + " ", 1001)
    driver.click("Browse for Folder", DEFAULT, timeout=60)
    assert driver.text(setup + " ", DIR_BOX, timeout=60)["text"] == "C:\\Program Files\\Corvex Workstation"
    # A folder every user may change, shared with another program: refused in a box, the page kept.
    (shared := box.drive_c / "Shared").mkdir(), (shared / "notes.txt").write_text(""), shared.chmod(0o777)
    driver.settext(setup + " ", DIR_BOX, "C:\\Shared"), driver.click(setup + " ", DEFAULT)
    told = driver.answer("OK", caption=setup)["text"]
    assert "folder C:\\Shared, and it holds other programs' files (notes.txt)" in told, told
    driver.settext(setup + " ", DIR_BOX, INSTALL_DIR_WIN), driver.click(setup + " ", DEFAULT)
    computer = box.wine("cmd", "/c", "echo %COMPUTERNAME%").stdout.strip()  # not the user's name
    assert driver.text(setup, NAME_PAGE_BOX - 1)["text"] == "Workstation name (letters A to Z, digits and hyphens). " \
        f"Leave it empty to use this computer's network name, {computer}.", "the rules and the computer's name"
    assert [driver.text(setup, i)["text"] for i in (1037, 1038, NAME_PAGE_BOX)] == [  # the header, then /NAME=
        "Workstation name", "The name under which Halvane Server sees this computer.", "WS-0142"]
    assert driver.text(setup, NAME_PAGE_BOX)["focused"], "typing goes into the box, not to Install"
    # Install with a bad name (typed, not cut; a quote, which the helper's command line would drop): told, kept.
    for bad, what in (("ACCOUNTING-WS-4 7", "a blank"), ('WS"1', '"""')):
        driver.settext(setup, NAME_PAGE_BOX, bad), driver.click(setup, DEFAULT)
        assert (told := driver.answer("OK", caption=setup))["icon"] and told["text"] == \
            f"/NAME=: The workstation name contains {what}. Use letters A to Z, digits and hyphens only."
        assert (kept := driver.text(setup, NAME_PAGE_BOX))["text"] == bad and kept["focused"], "kept, to be mended"
    driver.settext(setup, NAME_PAGE_BOX, ""), driver.click(setup, DEFAULT)
    assert [driver.text(CAPTION, box_id, timeout=120)["text"] for box_id in (HOST, NAME)] == [SERVER[0], ""]
    assert agent.starts_automatically(box) and agent.registry(box, UNINSTALL_KEY), "registered before the dialog's OK"
    for window, button in ((setup + " ", DEFAULT), (CAPTION, 2)):  # no Close yet; the install-time dialog: no Cancel
        pytest.raises(AssertionError, driver.text, window, button, timeout=1).match("no enabled control")
    driver.click(CAPTION, DEFAULT), driver.click(setup + " ", DEFAULT, timeout=60)  # OK, then the installer's Close
    assert process.wait(timeout=60) == INSTALLED and box.service_state() == "RUNNING"
    # Checked at the start and as the name page was left (and at the cancelled run's start); prepared after the copy.
    assert sum("[check] The switches and the kit's settings are valid." in l for l in agent.setup_log(box)) == 3
    assert agent.stored_settings(box) == (*SERVER[:2], "d`'s", "") and agent.starts_automatically(box)
    assert len([line for line in agent.report(box, box.unix_path(INSTALL_DIR_WIN)) if line.startswith("start ")]) == 1
    reg = agent.registry(box, agent.SERVICE_KEY)  # the older registration's shared process and ignored errors gone
    assert (reg["DisplayName"], reg["Type"], reg["ErrorControl"]) == ("Corvex Workstation x64", "0x10", "0x1")
    (box.drive_c / "windows" / "system32" / "hnetcfg.dll").unlink()  # no firewall: codes tell it, no box
    # A re-run whose settings cannot be written (user.json made a folder), passed through its pages: the helper's
    # reason in a box, ended with 11, the agent it stopped for the copy running again, automatic.
    (user := agent.settings_dir(box) / "user.json").unlink(), user.mkdir()
    (failed := AppProcess(box, '"C:\\kit.exe"', cwd="C:\\")), driver.click(setup + " ", DEFAULT, timeout=60)
    assert driver.click(setup, DEFAULT) and "is a folder" in driver.answer("OK", caption=setup, timeout=60)["text"]
    assert failed.wait(60) == 11 and box.service_state() == "RUNNING" and agent.starts_automatically(box)
    user.rmdir(), agent.store_settings(box, SERVER[0], SERVER[1], "CORP\\öps", "WS-7")  # a login and name stored since
    # One while the configurator runs from the folder (its file held): the copy's error answered Cancel, then the
    # installer's Cancel (it offers no Close): 2, the agent it stopped for the copy running again, automatic.
    (held := AppProcess(box, f'"{INSTALL_DIR_WIN}\\SetupClient.exe"', cwd="C:\\")), driver.text(CAPTION, 1, timeout=60)
    (failed := AppProcess(box, '"C:\\kit.exe"', cwd="C:\\")), driver.click(setup + " ", DEFAULT, timeout=60)
    driver.click(setup, DEFAULT), driver.answer("Cancel", caption=setup, timeout=60), driver.click(setup + " ", 2)
    assert failed.wait(60) == ABORTED and box.service_state() == "RUNNING" and agent.starts_automatically(box)
    # Its uninstaller meanwhile (the configurator open in another session, say), confirmed: told in a box, nothing
    # removed.
    removal = AppProcess(box, agent.registry(box, UNINSTALL_KEY)["UninstallString"], cwd="C:\\")
    driver.click(remover, DEFAULT, timeout=60)
    assert "SetupClient.exe is in use" in driver.answer("OK", caption=remover.strip(), timeout=60)["text"]
    assert removal.wait(60) == ABORTED and box.service_state() == "RUNNING"
    driver.click(CAPTION, 2), held.wait(60)
    # With the login an administrator stored since (kept) and a port switch (applied): Next on the folder page;
    # the name typed (kept in lower case), Install; the install-time dialog's OK, then the installer's Close.
    (rerun := AppProcess(box, '"C:\\kit.exe" /PORT=9001', cwd="C:\\")), driver.click(setup + " ", DEFAULT, timeout=60)
    # The page shows the name stored; another typed there, the agent still running: stopped for the copy, after the
    # pages.
    assert driver.text(setup, NAME_PAGE_BOX, timeout=60)["text"] == "WS-7"
    assert driver.settext(setup, NAME_PAGE_BOX, typed := "accounting-ws-47") and box.service_state() == "RUNNING"
    driver.click(setup, DEFAULT)
    driver.click(CAPTION, DEFAULT, timeout=120), driver.click(setup + " ", DEFAULT, timeout=60)
    assert rerun.wait(timeout=60) == INSTALLED and agent.stored_settings(box) == (SERVER[0], 9001, "CORP\\öps", typed)
    assert box.service_state() == "RUNNING", "restarted by the install-time dialog's OK, the firewall out of reach"
    assert run(box, '"C:\\kit.exe" /S') == UNCONFIRMED and "agent could not be confirmed" in agent.setup_log(box)[-1]
    # Its uninstaller cancelled on the confirmation page (1, told in the log), then run to its end.
    (cancelled := AppProcess(box, agent.registry(box, UNINSTALL_KEY)["UninstallString"], cwd="C:\\")), \
        driver.click(remover, 2, timeout=60)
    assert cancelled.wait(60) == 1 and agent.setup_log(box)[-1].endswith("cancelled by the user. Nothing was removed.")
    uninstall = AppProcess(box, agent.registry(box, UNINSTALL_KEY)["UninstallString"], cwd="C:\\")
    assert driver.text(remover, DEFAULT, timeout=60) and box.service_state() == "RUNNING", "untouched until confirmed"
    driver.click(remover, DEFAULT), driver.click(remover, DEFAULT, timeout=120)  # Uninstall, then Close
    assert uninstall.wait(60) == UNCONFIRMED and not (box.unix_path(INSTALL_DIR_WIN) / "SetupClient.exe").exists()
    assert not [l for l in agent.setup_log(box) if "still in use" in l], "the file waited for after the agent's stop"
    # Installed again before a restart: the folder taken back from the removals its uninstaller queued, none left.
    assert run(box, '"C:\\kit.exe" /S') == UNCONFIRMED and "PendingFile" not in str(agent.registry(box, PENDING_KEY))
