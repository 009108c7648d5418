#!/usr/bin/env python3
"""Asks a desktop's own thumbnail service for the thumbnails of files.

  thumbnail_clients.py tumbler FLAVOUR URI MIME
      Queues the file with the thumbnail service on the session bus (Xfce's
      tumblerd) and waits for its answer on the same connection, which is the
      only one its signals go to. Prints "ready" or "error: ...".
  thumbnail_clients.py gnome SIZE URI MIME PNG
      Has GNOME's thumbnail factory make the thumbnail, as its file manager
      does, saves it as PNG and prints "ready WIDTHxHEIGHT" or "error: ...".
Exit status 0 when the service answered at all, 1 when it did not in time.
"""
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

NAME = "org.freedesktop.thumbnails.Thumbnailer1"
PATH = "/org/freedesktop/thumbnails/Thumbnailer1"
TIMEOUT_SECONDS = 30


def tumbler(flavour, uri, mime):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    loop = GLib.MainLoop()
    state = {"handle": None, "said": [], "finished": False}

    def on_signal(_connection, _sender, _path, _interface, member, parameters, _data=None):
        values = parameters.unpack()
        if state["handle"] is None or values[0] != state["handle"]:
            return
        if member == "Ready":
            state["said"].append("ready")
        elif member == "Error":
            state["said"].append("error: %s (%d)" % (values[3], values[2]))
        elif member == "Finished":
            state["finished"] = True
            loop.quit()

    bus.signal_subscribe(None, NAME, None, PATH, None, Gio.DBusSignalFlags.NONE, on_signal)

    def queue():
        reply = bus.call_sync(NAME, PATH, NAME, "Queue",
                              GLib.Variant("(asasssu)", ([uri], [mime], flavour, "default", 0)),
                              GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, -1, None)
        state["handle"] = reply.unpack()[0]

    def appeared(_connection, _name, _owner):
        queue()

    # The service is started beside this script; it is asked once it is there.
    watch = Gio.bus_watch_name_on_connection(bus, NAME, Gio.BusNameWatcherFlags.NONE,
                                             appeared, None)
    GLib.timeout_add_seconds(TIMEOUT_SECONDS, loop.quit)
    loop.run()
    Gio.bus_unwatch_name(watch)
    print("\n".join(state["said"]) or "no answer")
    return 0 if state["finished"] else 1


def gnome(size, uri, mime, png):
    gi.require_version("GnomeDesktop", "3.0")
    from gi.repository import GnomeDesktop

    sizes = {"normal": GnomeDesktop.DesktopThumbnailSize.NORMAL,
             "large": GnomeDesktop.DesktopThumbnailSize.LARGE}
    factory = GnomeDesktop.DesktopThumbnailFactory.new(sizes[size])
    mtime = int(Gio.File.new_for_uri(uri).query_info(
        "time::modified", Gio.FileQueryInfoFlags.NONE, None).get_attribute_uint64("time::modified"))
    if not factory.can_thumbnail(uri, mime, mtime):
        print("error: the factory cannot thumbnail %s files" % mime)
        return 0
    try:
        pixbuf = factory.generate_thumbnail(uri, mime, None)
    except GLib.Error as error:
        print("error: %s" % error.message)
        return 0
    if pixbuf is None:
        print("error: no thumbnail")
        return 0
    pixbuf.savev(png, "png", [], [])
    print("ready %dx%d" % (pixbuf.get_width(), pixbuf.get_height()))
    return 0


if __name__ == "__main__":
    client, rest = sys.argv[1], sys.argv[2:]
    sys.exit({"tumbler": tumbler, "gnome": gnome}[client](*rest))
