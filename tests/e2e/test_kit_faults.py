"""Kit faults that the configurator does not detect, under Wine: a compiler that starts but
fails (a broken kit script) and an output folder that refuses new files.

The kit build waits for the compiler and does not read its exit code, so the user gets the
usual "saved into" message and the dialog closes as after any "Create". These tests pin down
that nothing worse happens: no hang, no crash, no installer file where none was, an earlier
installer at the output path left whole; and, through the compiler adapter's log, that the
compiler really failed for the reason the scenario set up."""
import errno
import os

import pytest

from benchlib import paths
from benchlib.app import AppProcess
from test_kit import (APP, COMPUTER_NAME, KIT_WIN, SERVER, compiler_log, fill_and_create, install_compiler,
                      read_predefined)

SAVED = 'The Client distribution kit is saved into "{}".'
REPLACE = '"{}" already exists. Do you want to replace it?'
BUILD_BOUND = 120  # seconds for the compiler's run and the message after it; a build takes a few

# A drive letter on a folder that refuses new files to everyone, root included: sysfs creates
# no files on request. Windows programs get "Access denied" there, as in a share or folder
# that the user may read but not write.
UNWRITABLE_FOLDER = "/sys/kernel"
UNWRITABLE_DRIVE = "k:"
UNWRITABLE_KIT_WIN = "K:\\kit one.exe"

# An earlier installer at the output path, which a failed build must leave as it was.
EARLIER_KIT = b"MZ" + bytes(range(256)) * 256


def broken_script_syntax_error(script):
    """The real kit script with an unknown instruction at its end: the compiler goes through
    the whole script, packs the files, then stops before writing the installer."""
    script.write_text(script.read_text(encoding="utf-8") +
                      '\nSection "-Broken"\n  NoSuchInstruction "kit"\nSectionEnd\n', encoding="utf-8")
    return 'Invalid command: "NoSuchInstruction"'


SCRIPT_FAULTS = {"syntax-error": broken_script_syntax_error}


def break_script(box, fault):
    """Breaks the sandbox's kit script. Returns the output path (Windows, Unix) and the line
    with which the compiler stops."""
    script = box.program_dir / "CorvexWorkstation" / "Packet" / "build_packet.nsi"
    return KIT_WIN, box.unix_path(KIT_WIN), SCRIPT_FAULTS[fault](script)


def map_unwritable_drive(box):
    """Maps drive K: to a folder that refuses new files and checks that it does, for the Unix
    compiler and for Windows programs alike. Returns as break_script does."""
    (box.root / "dosdevices" / UNWRITABLE_DRIVE).symlink_to(UNWRITABLE_FOLDER)
    output = os.path.join(UNWRITABLE_FOLDER, UNWRITABLE_KIT_WIN[3:])
    with pytest.raises(OSError) as refused:
        os.close(os.open(output, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644))
    assert refused.value.errno in (errno.EACCES, errno.EPERM, errno.EROFS), refused.value
    probe = box.wine("cmd", "/c", "mkdir K:\\probe", check=False)
    assert probe.returncode != 0, probe  # Wine's cmd says "Access denied."
    return UNWRITABLE_KIT_WIN, box.root / "dosdevices" / UNWRITABLE_DRIVE / UNWRITABLE_KIT_WIN[3:], \
        "Can't open output file"


def unix_output(box, output_win):
    """The output path as the compiler adapter hands it to the compiler."""
    drive = output_win[:2].lower()
    return str(box.root / "dosdevices" / drive) + "/" + output_win[3:].replace("\\", "/")


# The configurator does not tell one failing compiler run from another (it reads no exit
# code): one broken script, over an earlier kit, and one unwritable folder.
@pytest.mark.parametrize("fault, earlier_kit", [
    pytest.param("syntax-error", True, id="syntax-error-over-an-earlier-kit"),
    pytest.param("unwritable-folder", False, id="unwritable-folder"),
])
def test_a_failed_build_shows_the_saved_message_and_leaves_no_installer(sandbox, driver, screenshot, fault,
                                                                         earlier_kit):
    install_compiler(sandbox)
    if fault == "unwritable-folder":
        output_win, output, complaint = map_unwritable_drive(sandbox)
    else:
        output_win, output, complaint = break_script(sandbox, fault)
    if earlier_kit:
        output.write_bytes(EARLIER_KIT)
        earlier_stat = output.stat()

    process = AppProcess(sandbox, f'"{paths.SETUP_CLIENT_WIN}" --create_packet')
    fill_and_create(driver, process, COMPUTER_NAME, "")
    # Wine's save dialog does not try to create the file first: it takes an unwritable
    # folder without a word.
    chosen = driver.filedialog(path=output_win, timeout=30)
    assert chosen["result"] == "accepted", chosen
    if earlier_kit:
        question = driver.messagebox(caption=APP, timeout=30)
        assert question["text"] == REPLACE.format(output_win)
        driver.answer("Yes", caption=APP)

    # The compiler's failure goes unnoticed: the usual message, within the bound (no hang),
    # and no other box (no error escaped).
    shown = driver.messagebox(caption=APP, timeout=BUILD_BOUND)
    assert shown["text"] == SAVED.format(output_win), compiler_log(sandbox)
    assert shown["icon"] == "information"
    assert [box["text"] for box in driver.messageboxes()] == [shown["text"]]
    screenshot("saved-message")
    driver.answer("OK", caption=APP)
    assert process.wait(timeout=30) == 0  # closed as after any "Create"; 16 would be a crash

    # The compiler was aimed at that file and failed for the reason set up.
    log = compiler_log(sandbox)
    assert f"'-DOUTPUT={unix_output(sandbox, output_win)}'" in log, log
    assert complaint in log, log
    assert log.rstrip().endswith("makensis adapter: exit status 1"), log

    if earlier_kit:
        assert output.read_bytes() == EARLIER_KIT, "the earlier installer was changed"
        assert output.stat().st_mtime_ns == earlier_stat.st_mtime_ns
    else:
        assert not output.exists(), "no installer may appear"
    # The predefined settings were stored before the build and stay.
    user = read_predefined(sandbox, "User", "user.json")
    assert (user["serverHost"], user["serverPort"], user["login"]) == SERVER
