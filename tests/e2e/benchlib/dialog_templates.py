"""The three dialog templates as the product defines them, and a check of what the UI
driver sees against them: every control in template order with its id, kind, text, position
(dialog units) and the style bits named for it, and the dialog's caption, size and styles."""
from dataclasses import dataclass, field

WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x10000000, 0x00C00000, 0x00080000
WS_BORDER, WS_GROUP, WS_TABSTOP = 0x00800000, 0x00020000, 0x00010000
DS_SYSMODAL, DS_FIXEDSYS, DS_SETFONT, DS_MODALFRAME, DS_CENTER = 0x2, 0x8, 0x40, 0x80, 0x800
WS_EX_TOOLWINDOW, WS_EX_CLIENTEDGE, WS_EX_APPWINDOW = 0x80, 0x200, 0x40000
ES_AUTOHSCROLL, ES_NUMBER = 0x80, 0x2000
SS_TYPEMASK, SS_LEFT, SS_RIGHT = 0x1F, 0x0, 0x2
BS_TYPEMASK, BS_AUTORADIOBUTTON = 0xF, 0x9

NO_ID = (-1, 0xFFFF)  # a control without an id (IDC_STATIC) reads back as either

CAPTION = "Corvex Workstation Settings"
HOST_HELP = "Network name or IP-address of the machine where Halvane Server is installed."
LOGIN_HELP = ("Login name (with domain or computer name) of a user who is authorized to do backup "
              "of local data from a remote machine (where Halvane Server is installed).")
NAME_HELP = "Name of the local machine as seen by Halvane Server"


@dataclass(frozen=True)
class Item:
    id: object          # int, or None for a control without an id
    kind: str           # groupbox, label-right, label-left, edit, digits-edit, pushbutton, radio
    text: object        # exact text, or None where the text is the program's (edits)
    rect: tuple         # x, y, w, h in dialog units
    group: object = None     # True/False: WS_GROUP must be set/clear; None: not checked
    tabstop: object = None   # likewise for WS_TABSTOP


def label_right(text, rect):
    return Item(None, "label-right", text, rect, group=True)


def label_left(text, rect):
    return Item(None, "label-left", text, rect, group=True)


def edit(control_id, rect, digits=False):
    return Item(control_id, "digits-edit" if digits else "edit", None, rect, tabstop=True)


def button(control_id, text, rect, tabstop=True):
    return Item(control_id, "pushbutton", text, rect, tabstop=tabstop)


def groupbox(text, rect):
    return Item(None, "groupbox", text, rect)


@dataclass(frozen=True)
class Template:
    number: int
    caption: str
    size: tuple
    style_set: int
    style_clear: int
    exstyle_set: int
    items: tuple = field(default_factory=tuple)

    def ids(self):
        return [i.id for i in self.items if i.id is not None]


TEMPLATE_103 = Template(
    103, CAPTION, (322, 275),
    style_set=WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
    style_clear=0, exstyle_set=WS_EX_APPWINDOW,
    items=(
        groupbox("Settings", (6, 7, 309, 179)),
        label_right("Server host name", (12, 18, 48, 16)),
        edit(1000, (66, 18, 174, 12)),
        label_right("Port", (240, 20, 18, 8)),
        edit(1004, (264, 18, 42, 12), digits=True),
        label_left(HOST_HELP, (66, 36, 240, 24)),
        label_right("Workstation  name", (12, 126, 48, 28)),
        edit(1002, (66, 126, 240, 12)),
        label_left(NAME_HELP, (66, 144, 240, 12)),
        label_right("Backup administrator login ", (7, 72, 53, 33)),
        edit(1001, (66, 72, 240, 12)),
        label_left(LOGIN_HELP, (66, 90, 240, 24)),
        button(1005, "Load defaults", (240, 162, 66, 16)),
        groupbox("Corvex Workstation service", (6, 192, 309, 57)),
        button(1006, "Start", (48, 204, 72, 16)),
        button(1007, "Stop", (126, 204, 66, 16)),
        button(1008, "Restart", (198, 204, 72, 16)),
        label_left("To run Workstation, click the Start button. To stop Workstation, click Stop. "
                   "To restart Workstation, click Restart.", (12, 222, 300, 22)),
        button(1, "OK", (210, 252, 50, 16)),
        button(2, "Cancel", (265, 252, 50, 16)),
    ))

TEMPLATE_104 = Template(
    104, CAPTION, (322, 212),
    style_set=WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SYSMODAL | DS_CENTER | DS_SETFONT,
    style_clear=WS_SYSMENU, exstyle_set=WS_EX_TOOLWINDOW | WS_EX_APPWINDOW,
    items=(
        groupbox("Settings", (6, 7, 309, 179)),
        label_right("Server host name", (7, 18, 53, 24)),
        edit(1000, (66, 18, 174, 12)),
        label_right("Port", (240, 20, 18, 8)),
        edit(1004, (264, 18, 42, 12), digits=True),
        label_left(HOST_HELP, (66, 36, 240, 24)),
        label_right("Workstation name", (7, 126, 53, 21)),
        edit(1002, (66, 126, 240, 12)),
        label_left(NAME_HELP + ".", (66, 144, 240, 12)),
        label_right("Backup administrator login ", (7, 72, 53, 25)),
        edit(1001, (66, 72, 240, 12)),
        label_left(LOGIN_HELP, (66, 90, 240, 24)),
        button(1005, "Load defaults", (240, 162, 66, 16), tabstop=None),
        button(1, "OK", (265, 189, 50, 16), tabstop=None),
    ))

TEMPLATE_102 = Template(
    102, CAPTION, (322, 276),
    style_set=WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    style_clear=0, exstyle_set=WS_EX_APPWINDOW,
    items=(
        groupbox("Server settings", (6, 7, 309, 119)),
        label_right("Server host name", (12, 18, 48, 16)),
        edit(1000, (66, 18, 174, 12)),
        label_right("Port", (240, 20, 18, 8)),
        edit(1004, (264, 18, 42, 12), digits=True),
        label_left(HOST_HELP, (66, 36, 240, 24)),
        label_right("Backup administrator login ", (7, 72, 53, 32)),
        edit(1001, (66, 72, 240, 12)),
        label_left(LOGIN_HELP, (66, 90, 240, 24)),
        groupbox("Workstation name settings", (6, 132, 306, 90)),
        label_right("Workstation name", (12, 144, 48, 24)),
        edit(1002, (66, 144, 240, 12)),
        label_left(NAME_HELP, (66, 162, 240, 12)),
        # The template gives the radio buttons no tab stop, but checking one gives it the tab
        # stop at run time (the button control's own rule), so it is not compared here.
        Item(1010, "radio", "Automatically use computer network name as Workstation name",
             (66, 180, 221, 10), group=True),
        Item(1011, "radio", "Ask for the Workstation name while installing the program",
             (66, 192, 200, 10), group=False),
        Item(1012, "radio", "Use the Workstation name typed above", (66, 204, 143, 10), group=False),
        button(1005, "Load defaults", (246, 228, 66, 16)),
        button(1, "Create", (210, 252, 50, 16)),
        button(2, "Cancel", (265, 252, 50, 16)),
    ))

TEMPLATES = {t.number: t for t in (TEMPLATE_102, TEMPLATE_103, TEMPLATE_104)}


def _kind_problems(item, c):
    style, exstyle = int(c["style"], 16), int(c["exstyle"], 16)
    problems = []
    if item.kind == "groupbox":
        if c["kind"] != "groupbox":
            problems.append(f"is {c['kind']}, not a group box")
    elif item.kind.startswith("label"):
        align = SS_RIGHT if item.kind == "label-right" else SS_LEFT
        if c["kind"] != "static":
            problems.append(f"is {c['kind']}, not a static")
        elif style & SS_TYPEMASK != align:
            problems.append(f"static type {style & SS_TYPEMASK:#x}, wanted {align:#x} ({item.kind})")
    elif item.kind.endswith("edit"):
        if c["kind"] != "edit":
            problems.append(f"is {c['kind']}, not an edit")
        if not (style & WS_BORDER or exstyle & WS_EX_CLIENTEDGE):
            problems.append("edit without a border")
        if not style & ES_AUTOHSCROLL:
            problems.append("edit does not scroll horizontally")
        if bool(style & ES_NUMBER) != (item.kind == "digits-edit"):
            problems.append("digits-only is " + ("off" if item.kind == "digits-edit" else "on"))
    elif item.kind == "pushbutton":
        if c["kind"] not in ("pushbutton", "defpushbutton"):
            problems.append(f"is {c['kind']}, not a push button")
    elif item.kind == "radio":
        if c["kind"] != "radio" or style & BS_TYPEMASK != BS_AUTORADIOBUTTON:
            problems.append(f"is {c['kind']} (style {style:#x}), not an automatic radio button")
    return problems


def check_item(item, c):
    """Differences between one expected item and one control the driver saw."""
    problems = []
    if item.id is None:
        if c["id"] not in NO_ID:
            problems.append(f"id {c['id']}, wanted none")
    elif c["id"] != item.id:
        problems.append(f"id {c['id']}, wanted {item.id}")
    problems += _kind_problems(item, c)
    if item.text is not None and c["text"] != item.text:
        problems.append(f"text {c['text']!r}, wanted {item.text!r}")
    rect = (c["rect"]["x"], c["rect"]["y"], c["rect"]["w"], c["rect"]["h"])
    if rect != item.rect:
        problems.append(f"rect {rect}, wanted {item.rect}")
    style = int(c["style"], 16)
    for name, bit, wanted in (("group", WS_GROUP, item.group), ("tab stop", WS_TABSTOP, item.tabstop)):
        if wanted is not None and bool(style & bit) != wanted:
            problems.append(f"{name} is {'on' if style & bit else 'off'}")
    return problems


def check_dialog(template, seen):
    """Every difference between a template and the dialog the driver described; empty when
    they agree."""
    problems = []
    if seen["caption"] != template.caption:
        problems.append(f"caption {seen['caption']!r}, wanted {template.caption!r}")
    size = (seen["client_dlu"]["w"], seen["client_dlu"]["h"])
    if size != template.size:
        problems.append(f"size {size} dialog units, wanted {template.size}")
    style, exstyle = int(seen["style"], 16), int(seen["exstyle"], 16)
    if style & template.style_set != template.style_set:
        problems.append(f"style {style:#x} lacks {template.style_set & ~style:#x}")
    if style & template.style_clear:
        problems.append(f"style {style:#x} has {style & template.style_clear:#x}, which it must not")
    if exstyle & template.exstyle_set != template.exstyle_set:
        problems.append(f"extended style {exstyle:#x} lacks {template.exstyle_set & ~exstyle:#x}")
    controls = seen["controls"]
    if len(controls) != len(template.items):
        problems.append(f"{len(controls)} controls, wanted {len(template.items)}")
    for index, (item, c) in enumerate(zip(template.items, controls)):
        problems += [f"control #{index} ({item.text or item.id}): {p}" for p in check_item(item, c)]
    return problems
