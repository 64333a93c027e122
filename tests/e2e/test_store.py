"""The agent's store as users and attackers leave it: a damaged settings file beside an intact
one (the dialog shows what the intact file holds, and OK keeps the damaged file beside the
store before replacing it), and a link planted in place of the Settings folder (refused, and
nothing is written where it points)."""
import os

from benchlib import agent
from benchlib.app import CAPTION

HOST, PORT, LOGIN, NAME, OK = 1000, 1004, 1001, 1002, 1


def test_a_damaged_workstation_file_hides_nothing_and_is_kept(app, driver, sandbox, screenshot):
    agent.store_settings(sandbox, "backup.example.com", 9750, "CORP\\backup", "WS-01")
    store = agent.settings_dir(sandbox)
    damaged = '{"formatVersion": 1}'.encode("utf-16")  # UTF-16 with its byte order mark
    (store / "workstation.json").write_bytes(damaged)
    process = app()
    seen = {c["id"]: c["text"] for c in driver.controls(CAPTION, timeout=30)["controls"]}
    assert (seen[HOST], seen[PORT], seen[LOGIN], seen[NAME]) == ("backup.example.com", "9750", "CORP\\backup", "")
    assert driver.messageboxes() == [], "the intact file opens without an error"
    screenshot("intact-values")
    driver.settext(CAPTION, NAME, "WS-02")
    driver.click(CAPTION, OK)
    assert process.wait(timeout=60) == 0
    assert agent.stored_settings(sandbox) == ("backup.example.com", 9750, "CORP\\backup", "WS-02")
    kept = sorted(p.name for p in store.iterdir() if p.name.startswith("workstation.json.damaged-"))
    assert len(kept) == 1, sorted(p.name for p in store.iterdir())
    assert (store / kept[0]).read_bytes() == damaged
    assert sorted(p.name for p in store.iterdir()) == sorted(["user.json", "workstation.json", kept[0]])


def test_a_link_in_place_of_the_settings_folder_is_refused(app, driver, sandbox):
    elsewhere = sandbox.drive_c / "elsewhere"
    elsewhere.mkdir()
    store = agent.settings_dir(sandbox)
    store.parent.mkdir(parents=True)
    os.symlink(elsewhere, store)
    process = app()
    box = driver.messagebox(caption="Error!", timeout=30)
    assert 'Settings" is a link (a symbolic link or junction) to another place' in box["text"], box["text"]
    driver.answer("OK", caption="Error!")
    driver.settext(CAPTION, PORT, "9750")
    driver.settext(CAPTION, HOST, "backup.example.com")
    driver.settext(CAPTION, LOGIN, "CORP\\backup")
    driver.settext(CAPTION, NAME, "WS-02")
    driver.click(CAPTION, OK)
    box = driver.messagebox(caption="Error!", timeout=30)
    assert 'Settings" is a link' in box["text"], box["text"]
    driver.answer("OK", caption="Error!")
    assert process.running, "the dialog stays open"
    assert list(elsewhere.iterdir()) == [], "written through the link"
