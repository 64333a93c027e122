"""The UI driver itself, on the probe dialog (uiprobe.exe): what it reads must be what is on
the screen, and what it does must reach the program as a user's action would. A driver that
misreads would make every other end-to-end test wrong, so each command is tested here on a
dialog whose behaviour is known."""
import pytest

from benchlib import paths
from benchlib.app import AppProcess, command_line
from benchlib.driver import Driver, DriverError

PROBE = "Corvex UI Probe"
TEXT, CHECK, NUMBER, MESSAGE, SAVE_AS, DISABLED = 1000, 1003, 1004, 1005, 1006, 1007
FIRST, SECOND, STATUS, CHANGES, COMMAND_LINE = 1010, 1011, 1020, 1021, 1022

# The probe's template (uiprobe.rc), in dialog units.
PROBE_RECTS = {TEXT: (58, 18, 120, 12), NUMBER: (182, 18, 40, 12), CHECK: (58, 36, 60, 10),
               FIRST: (58, 50, 60, 10), SECOND: (58, 62, 60, 10), MESSAGE: (12, 80, 50, 14),
               DISABLED: (120, 80, 50, 14), 1: (130, 150, 50, 14), 2: (184, 150, 50, 14)}


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


@pytest.fixture
def probe_driver(module_sandbox):
    return Driver(module_sandbox)


@pytest.fixture
def probe(module_sandbox, probe_driver):
    """A running probe dialog; ended after the test, whatever state it is left in."""
    started = []

    def start(*args, tail=None):
        exe = windows_path(paths.bin_program("uiprobe.exe"))
        line = command_line(exe, *args) if tail is None else f'"{exe}" {tail}'
        process = AppProcess(module_sandbox, line)
        started.append(process)
        probe_driver.wait_window(PROBE)
        return process

    yield start
    module_sandbox.wine("taskkill", "/f", "/im", "uiprobe.exe", check=False)
    for process in started:
        process.kill()
    probe_driver.wait_gone(PROBE)


def test_controls_are_read_in_template_order_with_dialog_unit_positions(probe, probe_driver):
    probe()
    seen = probe_driver.controls(PROBE)
    assert (seen["client_dlu"]["w"], seen["client_dlu"]["h"]) == (240, 170)
    by_id = {c["id"]: c for c in seen["controls"]}
    for control_id, rect in PROBE_RECTS.items():
        got = by_id[control_id]["rect"]
        assert (got["x"], got["y"], got["w"], got["h"]) == rect, control_id
    assert [c["id"] for c in seen["controls"] if c["id"] not in (-1, 0xFFFF)] == [
        TEXT, NUMBER, CHECK, FIRST, SECOND, MESSAGE, SAVE_AS, DISABLED, STATUS, CHANGES,
        COMMAND_LINE, 1, 2]
    assert [by_id[i]["kind"] for i in (TEXT, CHECK, FIRST, MESSAGE, 1)] == [
        "edit", "checkbox", "radio", "pushbutton", "defpushbutton"]
    assert seen["focus"] == TEXT and by_id[TEXT]["focused"]
    assert by_id[FIRST]["checked"] is True and by_id[SECOND]["checked"] is False
    assert by_id[CHECK]["checked"] is False
    assert by_id[DISABLED]["enabled"] is False and by_id[MESSAGE]["enabled"] is True


def test_settext_reports_a_change_as_typing_does(probe, probe_driver):
    probe()
    probe_driver.settext(PROBE, TEXT, "Grüße, host-1")
    assert probe_driver.wait_control(PROBE, CHANGES, text="changes: 1")
    assert probe_driver.control(PROBE, TEXT)["text"] == "Grüße, host-1"


def test_typing_goes_through_the_digits_only_filter(probe, probe_driver):
    probe()
    probe_driver.type(PROBE, NUMBER, "3a5")
    assert probe_driver.wait_control(PROBE, NUMBER, text="35")


def test_click_on_a_disabled_button_is_refused_and_does_nothing(probe, probe_driver):
    probe()
    with pytest.raises(DriverError) as refused:
        probe_driver.click(PROBE, DISABLED)
    assert refused.value.returncode == 1 and "disabled" in refused.value.stderr
    assert probe_driver.control(PROBE, STATUS)["text"] == ""


def test_click_moves_the_radio_choice(probe, probe_driver):
    probe()
    probe_driver.click(PROBE, SECOND)
    assert probe_driver.wait_control(PROBE, SECOND, checked=True)
    assert probe_driver.control(PROBE, FIRST)["checked"] is False


# (message box type, icon the driver must recognise, button labels)
MESSAGE_BOXES = [
    (35, "question", ["Yes", "No", "Cancel"]),
    (16, "error", ["OK"]),
    (48, "warning", ["OK"]),
    (64, "information", ["OK"]),
    (1, "none", ["OK", "Cancel"]),
]


@pytest.mark.parametrize("box_type, icon, labels", MESSAGE_BOXES, ids=[m[1] for m in MESSAGE_BOXES])
def test_message_box_is_read_with_its_icon_and_answered(probe, probe_driver, box_type, icon, labels):
    probe()
    probe_driver.settext(PROBE, TEXT, "Do you want to apply the settings?")
    probe_driver.settext(PROBE, NUMBER, str(box_type))
    probe_driver.click(PROBE, MESSAGE)  # returns although the box is modal
    box = probe_driver.messagebox()
    assert box["caption"] == "Probe message"
    assert box["text"] == "Do you want to apply the settings?"
    assert box["icon"] == icon
    assert [b["label"] for b in box["buttons"]] == labels
    answered = probe_driver.answer(labels[-1].upper())  # letter case and '&' do not matter
    assert probe_driver.wait_control(PROBE, STATUS, text=f"answer {answered['answer_id']}")
    assert probe_driver.messageboxes() == []


def test_answer_with_a_button_the_box_lacks_names_the_buttons_it_has(probe, probe_driver):
    probe()
    probe_driver.settext(PROBE, NUMBER, "35")
    probe_driver.click(PROBE, MESSAGE)
    with pytest.raises(DriverError) as missing:
        probe_driver.answer("Maybe")
    assert "Yes" in missing.value.stderr and "Cancel" in missing.value.stderr
    assert len(probe_driver.messageboxes()) == 1


def test_save_dialog_takes_a_typed_path(probe, probe_driver):
    probe()
    probe_driver.click(PROBE, SAVE_AS)
    shown = probe_driver.filedialog()
    assert shown["file_name"] == "probe_output.exe" and shown["ok_text"] == "Save"
    done = probe_driver.filedialog(path="C:\\users\\Public\\kit setup.exe")
    assert done["result"] == "accepted"
    assert probe_driver.wait_control(PROBE, STATUS, text="saved C:\\users\\Public\\kit setup.exe")


def test_save_dialog_cancel(probe, probe_driver):
    probe()
    probe_driver.click(PROBE, SAVE_AS)
    assert probe_driver.filedialog(cancel=True)["result"] == "cancelled"
    assert probe_driver.wait_control(PROBE, STATUS, text="cancelled")


# (how the dialog is left, the probe's exit code: 1 for OK, 2 for Cancel)
ENDINGS = [
    ("escape", lambda d: d.key(PROBE, "ESCAPE"), 2),
    ("enter-presses-the-default-button", lambda d: d.key(PROBE, "RETURN"), 1),
    ("close-request", lambda d: d.close(PROBE), 2),
    ("ok-click", lambda d: d.click(PROBE, 1), 1),
]


@pytest.mark.parametrize("leave, exit_code", [(e[1], e[2]) for e in ENDINGS], ids=[e[0] for e in ENDINGS])
def test_keys_and_commands_reach_the_dialog_as_a_user_s_would(probe, probe_driver, leave, exit_code):
    process = probe()
    leave(probe_driver)
    assert process.wait() == exit_code
    probe_driver.wait_gone(PROBE)


def test_focus_moves_to_the_named_control(probe, probe_driver):
    probe()
    probe_driver.focus(PROBE, NUMBER)
    assert probe_driver.wait_control(PROBE, NUMBER, focused=True)


def test_launch_passes_the_command_line_exactly(probe, probe_driver):
    probe(tail='"--create_packet"  --X')
    shown = probe_driver.control(PROBE, COMMAND_LINE)["text"]
    assert shown.endswith('uiprobe.exe" "--create_packet"  --X')


def test_waiting_for_a_missing_window_ends_in_time_with_a_clear_message(probe_driver):
    with pytest.raises(DriverError) as missing:
        probe_driver.wait_window("No such dialog", timeout=1)
    assert missing.value.returncode == 1 and 'caption "No such dialog"' in missing.value.stderr


def test_bad_command_line_is_a_usage_error(probe_driver):
    with pytest.raises(DriverError) as bad:
        probe_driver.run("click", "--caption", PROBE, "--id", "twelve")
    assert bad.value.returncode == 2 and "--id" in bad.value.stderr
