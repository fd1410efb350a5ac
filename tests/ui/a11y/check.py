#!/usr/bin/python3
"""What a screen-reader user and a keyboard-only user meet in 汀禾, read from its AT-SPI tree.

  check.py               runs every check; exits 1 on the first failure
"""
import json
import os
import subprocess
import sys
import time

import pyatspi

BIN = os.environ["TESSARY_BIN"]
DATA = os.environ["TESSARY_DATA"]

# Roles a user acts on: each needs a name a screen reader can say.
INTERACTIVE = {"push button", "toggle button", "check box", "radio button", "slider", "spin button",
               "combo box", "text", "entry", "menu item", "page tab", "link", "list item"}


def application():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name in ("tessary", "汀禾", "Tessary"):
                return a
        time.sleep(0.1)
    raise SystemExit("汀禾 is not on the AT-SPI bus")


def states(node):
    s = node.getState()
    return {name for name, st in (("showing", pyatspi.STATE_SHOWING), ("focusable", pyatspi.STATE_FOCUSABLE),
                                  ("focused", pyatspi.STATE_FOCUSED), ("visible", pyatspi.STATE_VISIBLE), ("checked", pyatspi.STATE_CHECKED),
                                  ("enabled", pyatspi.STATE_ENABLED)) if s.contains(st)}


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def controls():
    """The showing nodes a user acts on, in tree order."""
    return [n for n, _ in walk(application())
            if n.getRoleName() in INTERACTIVE and "showing" in states(n)]


def unnamed(where):
    # Visible, not only showing: the controls of a screen scrolled out of the window count too.
    missing = [f"{n.getRoleName()} at {extents(n)[:2]}" for n, _ in walk(application())
               if n.getRoleName() in INTERACTIVE and "visible" in states(n) and not n.name.strip()]
    if missing:
        fail(f"{where}: controls without a name: {', '.join(missing)}")


def find(name, role=None, timeout=5.0):
    deadline = time.monotonic() + timeout
    while True:
        for n in controls():
            if n.name == name and (role is None or n.getRoleName() == role):
                return n
        if time.monotonic() > deadline:
            fail(f"no showing control named «{name}»; there are: {[c.name for c in controls()]}")
        time.sleep(0.1)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = next((i for i, a in enumerate(names) if a in ("press", "Press", "click", "toggle")), 0)
    if not action.doAction(index):
        fail(f"«{node.name}» refused its action {names}")
    time.sleep(0.3)


def focused():
    # The deepest: Qt also marks a focus scope holding the focus (a list and its header's button).
    found = None
    for n, _ in walk(application()):
        if "focused" in states(n):
            found = n
    return found


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "40", *keys], check=True)
    time.sleep(0.15)


def tab_to(name, limit=40):
    for _ in range(limit):
        key("Tab")
        n = focused()
        if n is not None and n.name == name:
            return n
    fail(f"Tab never reached «{name}»")


def activate_window():
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^汀禾$"],
                         capture_output=True, text=True).stdout.split()
    if not ids:
        fail("the main window is not shown")
    subprocess.run(["xdotool", "windowactivate", "--sync", ids[0]], check=True)
    time.sleep(0.3)


def tessary(*args):
    return subprocess.run([BIN, *args], capture_output=True, text=True, timeout=10).stdout.strip()


def phase():
    return json.loads(tessary("--status", "--json")).get("phase")


def rounds():
    try:
        with open(DATA) as f:
            return json.load(f).get("sessions", [])
    except FileNotFoundError:
        return []


def fail(message):
    print(f"FAIL: {message}")
    sys.exit(1)


def wait_for(what, condition, timeout=5.0):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            fail(f"timed out waiting for {what}")
        time.sleep(0.1)


# Tab from the window's start on the idle focus screen: the sidebar, then the round's timer,
# then its settings top to bottom, then the ambient card, as the screen reads.
FOCUS_TAB_ORDER = ["专注", "洞察", "记录", "设置", "切换到日间模式", "开始这一轮", "本轮任务：未分类", "新增任务",
                   "30 分钟", "60 分钟", "90 分钟", "自定义专注时长（分钟）", "最早提示（分钟）", "最晚提示（分钟）",
                   "开始前精力 4/5", "采用建议", "随专注播放", "环境音总音量", "播放", "雨声"]


def scroll_down(steps=5, button="5"):
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^汀禾$"],
                         capture_output=True, text=True).stdout.split()
    subprocess.run(["xdotool", "mousemove", "--window", ids[0], "700", "500",
                    "click", "--repeat", str(steps), "--delay", "30", button], check=True)
    time.sleep(0.4)


def check_names_everywhere(sections=(("ctrl+1", "focus"), ("ctrl+2", "insights"), ("ctrl+3", "history"),
                                     ("ctrl+4", "settings"))):
    # Qt shows a screen reader only what is in the window, so each screen is read page by page.
    activate_window()
    for keys, where in sections:
        key(keys)
        time.sleep(0.8)
        for page in range(8):
            unnamed(f"{where}, page {page + 1}")
            scroll_down()
    key("ctrl+1")
    print(f"ok: every control of {', '.join(w for _, w in sections)} has a name, page by page")


def check_history_rows():
    activate_window()
    key("ctrl+3")
    time.sleep(0.8)
    row = next((n for n, _ in walk(application()) if n.getRoleName() == "list item" and n.name), None)
    if row is None:
        fail("the history shows no round a screen reader can read")
    row_name = row.name
    check_names_everywhere((("ctrl+3", "history with rounds"),))
    key("ctrl+3")
    scroll_down(40, button="4")  # back to the top: Qt shows a screen reader only what is in the window
    before = None
    for _ in range(12):
        key("Tab")
        n = focused()
        if n is not None and n.getRoleName() in ("list", "list item") and n.name:
            break  # the list, or its first row that took the focus
        before = n.name if n is not None else None
    else:
        fail("Tab never reached the history list")
    if before != "导出 CSV":  # the reading order: the header's button, then the rows
        fail(f"Tab reached the history list from «{before}», not from «导出 CSV»")
    key("Return")  # edits the current row: its sheet's controls are named too
    find("保存修改")
    unnamed("the edit sheet")
    key("Escape")
    time.sleep(0.3)
    key("Menu")
    find("编辑这条记录", "menu item")
    find("删除这条记录", "menu item")
    key("Escape")
    press(find("导出 CSV"))  # Qt's own save dialog here: no desktop portal
    if focused() is None or focused().name != "文件名":
        fail("the save dialog did not open with the focus in its «文件名» field")
    unnamed("the save dialog")
    key("Escape")
    print(f"ok: Tab reaches the history list; a row reads «{row_name}»; Return edits it, the menu key opens its menu;"
          " the save dialog's controls have names")


def check_tab_order():
    activate_window()
    key("ctrl+1")
    seen = []
    for _ in range(len(FOCUS_TAB_ORDER) + 8):
        key("Tab")
        n = focused()
        name = n.name if n is not None else None
        if n is not None and (n.getRoleName() not in INTERACTIVE or not n.name):
            name = f"{n.getRoleName()} «{n.name}»"
        if seen and name == seen[0]:
            break
        seen.append(name)
    if seen[:len(FOCUS_TAB_ORDER)] != FOCUS_TAB_ORDER:
        fail(f"Tab order of the focus screen: {seen}, expected it to begin {FOCUS_TAB_ORDER}")
    if any(n is None or "«" in n for n in seen):
        fail(f"Tab moved focus to nothing a screen reader can name: {seen}")
    print(f"ok: Tab order of the focus screen ({len(seen)} stops)")


def check_round_by_keyboard():
    activate_window()
    key("ctrl+1")
    before = len(rounds())
    tab_to("60 分钟")
    key("Right")  # the arrows move among the lengths and choose
    if focused().name != "90 分钟" or "checked" not in states(focused()):
        fail("Right from «60 分钟» did not choose «90 分钟»")
    key("Left")
    tab_to("开始这一轮")
    key("space")
    wait_for("the round to start", lambda: phase() == "focusing")
    tab_to("我走神了，0 次")
    key("Return")
    tab_to("暂停")
    key("space")
    wait_for("the pause", lambda: phase() == "paused")
    key("space")  # the same button now says 继续
    wait_for("the round to go on", lambda: phase() == "focusing")
    tab_to("结束")
    key("space")
    unnamed("end dialog")
    tab_to("结束并记录")
    key("Return")
    wait_for("the review", lambda: phase() == "completed")
    unnamed("review sheet")
    tab_to("整体专注程度 4/5")
    key("Right")
    if focused().name != "整体专注程度 5/5":
        fail(f"Right on the rating said «{focused().name}»")
    tab_to("一句话记录（可选）")
    subprocess.run(["xdotool", "type", "--delay", "30", "keyboard only"], check=True)
    tab_to("保存复盘")
    key("space")
    wait_for("the saved round", lambda: len(rounds()) == before + 1)
    saved = rounds()[0] if rounds()[0].get("note") == "keyboard only" else rounds()[-1]
    if saved.get("note") != "keyboard only" or saved.get("focusRating") != 5 or saved.get("plannedMinutes") != 60:
        fail(f"the round saved by keyboard reads {saved}")
    if not any(e.get("kind") == "mindWander" for e in saved.get("events", [])):
        fail("the mind-wandering mark made by keyboard is not in the saved round")
    print("ok: a whole round by keyboard alone")


def check_round_by_actions():
    before = len(rounds())
    press(find("专注", "page tab"))
    press(find("30 分钟", "radio button"))
    press(find("开始这一轮"))
    wait_for("the round to start", lambda: phase() == "focusing")
    press(find("我开始累了，0 次"))
    press(find("结束"))
    press(find("结束并记录"))
    wait_for("the review", lambda: phase() == "completed")
    rating = find("整体专注程度 4/5", "slider")
    actions = rating.queryAction()  # a slider is moved through its value actions
    names = [actions.getName(i) for i in range(actions.nActions)]
    if "decrease" not in [n.lower() for n in names]:
        fail(f"the rating offers no decrease action: {names}")
    actions.doAction([n.lower() for n in names].index("decrease"))
    find("整体专注程度 3/5", "slider")
    press(find("保存复盘"))
    wait_for("the saved round", lambda: len(rounds()) == before + 1)
    saved = max(rounds(), key=lambda r: r["endedAt"])
    if saved.get("focusRating") != 3 or saved.get("plannedMinutes") != 30:
        fail(f"the round saved by actions reads {saved}")
    print("ok: a whole round by screen-reader actions alone")


def check_tray_popup():
    with open(os.environ["TRAY_LOG"]) as f:
        items = [line.split()[1:] for line in f if line.startswith("item ")]
    if not items:
        fail("no tray icon was registered")
    name, path = items[-1]

    def click_tray_icon():
        r = subprocess.run(["gdbus", "call", "--session", "--dest", name, "--object-path", path,
                            "--method", "org.kde.StatusNotifierItem.Activate", "0", "0"], capture_output=True, text=True)
        if r.returncode != 0:
            fail(f"pressing the tray icon ({name} {path}): {r.stderr.strip()}")
        wait_for("the tray popup", lambda: popup_open(), timeout=3)

    def popup_open():
        return any(n.name.startswith("开始 ") and n.name.endswith(" 分钟") for n in controls())

    click_tray_icon()
    unnamed("tray popup")
    key("Escape")
    wait_for("Escape to close the tray popup", lambda: not popup_open(), timeout=3)
    click_tray_icon()
    activate_window()  # a click elsewhere: the popup loses focus
    wait_for("the tray popup to close when it lost focus", lambda: not popup_open(), timeout=3)
    print("ok: the tray popup's controls have names; it closes on Escape and on losing focus")


if __name__ == "__main__":
    check_names_everywhere()
    check_tab_order()
    check_round_by_keyboard()
    check_round_by_actions()
    check_history_rows()
    check_tray_popup()
