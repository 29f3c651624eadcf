#!/usr/bin/env python3
"""Presses a key on the X server in $DISPLAY and prints the milliseconds until process PID has ended.

    bench/key_to_end.py PID

The key goes in through the XTEST extension from this process (libX11 and libXtst through ctypes), and the
clock starts once the server has taken it (XSync); the process's end is seen through a pidfd, so neither
the start of a helper program nor a polling loop is counted. Prints "timeout" when PID has not ended
within 10 s.
"""
import ctypes
import os
import select
import sys
import time


def main():
    pid = int(sys.argv[1])
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    key = x11.XKeysymToKeycode(display, 0x61)  # "a"
    process = os.pidfd_open(pid)
    xtst.XTestFakeKeyEvent(display, key, 1, 0)
    x11.XSync(display, 0)
    pressed = time.monotonic()
    ended, _, _ = select.select([process], [], [], 10)
    took = time.monotonic() - pressed
    xtst.XTestFakeKeyEvent(display, key, 0, 0)
    x11.XSync(display, 0)
    print("%d" % round(took * 1000) if ended else "timeout")


if __name__ == "__main__":
    main()
