#!/usr/bin/python3
"""native-window.py TITLE RRGGBB LOG : a native Wayland GTK 3 window of one colour, maximised,
that writes "press X Y" to LOG for every button press it gets (the end-to-end tests check that
clicks through the overlay reach it)."""
import os
import sys

os.environ['GDK_BACKEND'] = 'wayland'
import gi  # noqa: E402
gi.require_version('Gtk', '3.0')
gi.require_version('Gdk', '3.0')
from gi.repository import Gdk, Gtk  # noqa: E402

title, colour, log = sys.argv[1], sys.argv[2], sys.argv[3]
css = Gtk.CssProvider()
css.load_from_data(('window, box { background: #%s; }' % colour).encode())
Gtk.StyleContext.add_provider_for_screen(Gdk.Screen.get_default(), css, 800)
window = Gtk.Window(title=title)
window.set_decorated(False)
box = Gtk.EventBox()
window.add(box)


def pressed(_widget, event):
    with open(log, 'a') as f:
        f.write('press %d %d\n' % (event.x_root, event.y_root))
    return True


box.connect('button-press-event', pressed)
window.connect('destroy', Gtk.main_quit)
window.maximize()
window.show_all()
Gtk.main()
