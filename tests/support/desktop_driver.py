#!/usr/bin/python3
"""Uses the updater's windows as a person would, through the accessibility bus.

It prints "ready" once it reaches the bus, then does each argument as one step, in
order; every step waits up to 60 s for what it
needs and the driver exits with 1 and a message when it does not come:
  window=<title>            a window (dialog or message box) with that title is shown
  gone=<title>              no window with that title is shown any more
  splash                    an untitled window showing a picture (the splash) is shown
  bar=<title>:<n>:<percent> the n-th bar (from the top) of that window reaches the percent
  read=<title>              prints "read <title>" and one line per label ("label <text>")
                            and bar ("bar <percent>"), top to bottom, once it shows any
  text=<title>:<text>       a window with that title shows a label with that text (a
                            box after a box of the same title, told apart by its text)
  shot=<title>:<file>       saves that window as a PNG, prints "shot <file> <colours>"
  click=<title>:<button>    clicks the button with that label in that window (mouse)
  key=<title>:<key>         points at that window and presses a key (Return, Escape)
  hints=<title>             prints what that window asks of a task bar and window manager:
                            "hints <title> icon <w>x<h> <states>" (xprop's view)
"""
import os
import re
import subprocess
import sys
import time

# An empty WAYLAND_DISPLAY (set so the programs take the X display) would make the
# accessibility library synthesize input the Wayland way, which fails on X.
if not os.environ.get("WAYLAND_DISPLAY"):
    os.environ.pop("WAYLAND_DISPLAY", None)

import gi
gi.require_version("Atspi", "2.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Atspi, Gdk, GLib

TIMEOUT = 60


def fail(message):
    print("FAIL " + message, flush=True)
    sys.exit(1)


def pump(seconds):
    """Waits while delivering the bus's events."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        if not context.iteration(False):
            time.sleep(0.005)


def until(what, probe):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        try:
            found = probe()
        except GLib.Error:
            # A window went away while it was being looked at.
            found = None
        if found:
            return found
        pump(0.05)
    fail("timed out waiting for " + what)


def children(node):
    try:
        return [node.get_child_at_index(i) for i in range(node.get_child_count())]
    except gi.repository.GLib.Error:
        return []


def showing(node):
    try:
        return node.get_state_set().contains(Atspi.StateType.SHOWING)
    except gi.repository.GLib.Error:
        return False


def windows():
    desktop = Atspi.get_desktop(0)
    return [w for app in children(desktop) if app for w in children(app) if w and showing(w)]


def window(title):
    return next((w for w in windows() if w.get_name() == title), None)


def descendants(node):
    for child in children(node):
        if child is None:
            continue
        yield child
        yield from descendants(child)


def position(node):
    extents = node.get_extents(Atspi.CoordType.SCREEN)
    return extents.y, extents.x


def controls(node, role):
    return sorted((d for d in descendants(node) if d.get_role() == role and showing(d)), key=position)


def percent(bar):
    return round(bar.get_current_value() * 100 / (bar.get_maximum_value() or 1))


def splash():
    return next((w for w in windows() if not w.get_name() and controls(w, Atspi.Role.ICON)), None)



def capture(node):
    extents = node.get_extents(Atspi.CoordType.SCREEN)
    if extents.width <= 0 or extents.height <= 0:
        return None, 0
    root = Gdk.get_default_root_window()
    image = Gdk.pixbuf_get_from_window(root, extents.x, extents.y, extents.width, extents.height)
    if image is None:
        return None, 0
    pixels = image.get_pixels()
    step = image.get_n_channels()
    return image, len({bytes(pixels[i:i + 3]) for i in range(0, len(pixels), step)})


def screenshot(find, path):
    """A window just shown may not be laid out and drawn yet: a blank capture is taken
    again for a few seconds before it counts."""
    deadline = time.monotonic() + 5
    image, colours = capture(find())
    while colours < 2 and time.monotonic() < deadline:
        time.sleep(0.05)
        image, colours = capture(find())
    if image:
        image.savev(path, "png", [], [])
    print("shot %s %d" % (path, colours), flush=True)


def click(node):
    extents = node.get_extents(Atspi.CoordType.SCREEN)
    Atspi.generate_mouse_event(extents.x + extents.width // 2, extents.y + extents.height // 2, "b1c")


def hints(title):
    """The X properties a task bar reads: the icon and the requested window states."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    found = re.search(r'^\s*(0x[0-9a-f]+) "%s":' % re.escape(title), tree, re.M)
    if not found:
        fail("no X window named " + title)
    shown = subprocess.run(["xprop", "-id", found.group(1), "_NET_WM_ICON", "_NET_WM_STATE"],
                           capture_output=True, text=True).stdout
    icon = re.search(r"Icon \((\d+) x (\d+)\)", shown)
    states = re.findall(r"_NET_WM_STATE_(\w+)", shown)
    print("hints %s icon %s %s" % (title, "x".join(icon.groups()) if icon else "none", " ".join(sorted(states))), flush=True)


def step(action, value):
    if action == "window":
        until(value, lambda: window(value))
    elif action == "gone":
        until(value + " to go", lambda: window(value) is None)
    elif action == "splash":
        until("the splash", splash)
    elif action == "bar":
        title, number, target = value.rsplit(":", 2)
        def reached():
            bars = controls(window(title), Atspi.Role.PROGRESS_BAR) if window(title) else []
            return len(bars) >= int(number) and percent(bars[int(number) - 1]) >= int(target)
        until("bar %s of %s at %s" % (number, title, target), reached)
    elif action == "read":
        # A window being built or taken down shows no controls yet or any more.
        def shown():
            found = window(value)
            readable = found and controls(found, Atspi.Role.LABEL) + controls(found, Atspi.Role.PROGRESS_BAR)
            return readable or None
        readable = until(value, shown)
        print("read " + value, flush=True)
        for node in sorted(readable, key=position):
            if node.get_role() == Atspi.Role.LABEL:
                print("label " + node.get_name(), flush=True)
            else:
                print("bar %d" % percent(node), flush=True)
    elif action == "text":
        title, text = value.rsplit(":", 1)
        until("%s in %s" % (text, title), lambda: window(title) and any(
            label.get_name() == text for label in controls(window(title), Atspi.Role.LABEL)))
    elif action == "shot":
        title, path = value.split(":", 1)
        find = splash if title == "splash" else lambda: window(title)
        until(title, find)
        screenshot(lambda: until(title, find), path)
    elif action == "click":
        title, label = value.split(":", 1)
        button = until("button %s in %s" % (label, title), lambda: next(
            (b for b in controls(window(title), Atspi.Role.PUSH_BUTTON) if b.get_name() == label), None) if window(title) else None)
        click(button)
    elif action == "key":
        title, key = value.split(":", 1)
        shown = until(title, lambda: window(title))
        # Without a window manager the keyboard goes to the window under the pointer.
        extents = shown.get_extents(Atspi.CoordType.SCREEN)
        Atspi.generate_mouse_event(extents.x + extents.width // 2, extents.y + 2, "abs")
        code = Gdk.keyval_from_name(key)
        Atspi.generate_keyboard_event(code, None, Atspi.KeySynthType.SYM)
    elif action == "hints":
        until(value, lambda: window(value))
        hints(value)
    else:
        fail("unknown step " + action)


def main():
    Atspi.get_desktop(0).get_child_count()
    print("ready", flush=True)
    for argument in sys.argv[1:]:
        action, _, value = argument.partition("=")
        step(action, value)
    print("done", flush=True)


if __name__ == "__main__":
    main()
