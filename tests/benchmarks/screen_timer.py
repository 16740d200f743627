#!/usr/bin/env python3
"""Times how long the screen takes to show something after a command starts.

    screen_timer.py [--timeout S] CONDITION... -- COMMAND [ARG...]

Starts COMMAND (without waiting for it) and polls the X display ($DISPLAY)
until every CONDITION holds; prints the milliseconds from the start of the
command to the first poll that saw them all, and the command's process id.
A CONDITION is X,Y=R,G,B[/R,G,B...]: the pixel at X,Y shows one of the
colours. Each poll reads the single pixels through Xlib (well under a
millisecond on Xvfb), so the figure is exact to about a millisecond, where a
screenshot per poll would add a tenth of a second. Exit code 1 when the
command ends or the time runs out first.
"""
import ctypes
import os
import signal
import subprocess
import sys
import time


class Screen:
    ZPIXMAP = 2
    ALL_PLANES = 0xFFFFFFFF

    def __init__(self):
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XGetImage.restype = ctypes.c_void_p
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XGetPixel.restype = ctypes.c_ulong
        x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.x11 = x11
        self.display = x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("screen_timer: cannot open the display " + os.environ.get("DISPLAY", "(none)"))
        self.root = x11.XDefaultRootWindow(self.display)

    def pixel(self, x, y):
        image = self.x11.XGetImage(self.display, self.root, x, y, 1, 1, self.ALL_PLANES, self.ZPIXMAP)
        value = self.x11.XGetPixel(image, 0, 0)
        self.x11.XDestroyImage(image)
        return (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF


def parse_condition(text):
    place, colours = text.split("=")
    x, y = (int(v) for v in place.split(","))
    return x, y, [tuple(int(v) for v in colour.split(",")) for colour in colours.split("/")]


def main(argv):
    timeout = 60.0
    if argv[:1] == ["--timeout"]:
        timeout, argv = float(argv[1]), argv[2:]
    split = argv.index("--")
    conditions = [parse_condition(text) for text in argv[:split]]
    command = argv[split + 1:]
    screen = Screen()
    start = time.monotonic()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    while time.monotonic() - start < timeout:
        now = time.monotonic()
        if all(screen.pixel(x, y) in colours for x, y, colours in conditions):
            print(round((now - start) * 1000), process.pid)
            return 0
        if process.poll() not in (None, 0):
            break
        time.sleep(0.001)
    # A program left running would paint over the next run's screen.
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGTERM)
    print("-", process.pid)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
