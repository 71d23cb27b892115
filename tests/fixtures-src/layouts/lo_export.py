#!/usr/bin/python3
# Exports Writer documents to PDF the way a user does after pressing
# "Update All": every table of contents, list of figures and list of tables is
# rebuilt by LibreOffice itself, then the document goes through the ordinary
# PDF export (writer_pdf_Export, default options). `soffice --convert-to`
# alone would print the indexes as they were saved in the source file, and
# the sources keep them empty so that LibreOffice, not a hand, writes them.
#
# Usage: lo_export.py PROFILE_DIR SOURCE.fodt OUT.pdf [SOURCE.fodt OUT.pdf ...]
import os
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def main():
    profile, pairs = sys.argv[1], sys.argv[2:]
    pipe = "vellumark_fixtures_%d" % os.getpid()
    office = subprocess.Popen(
        ["soffice", "-env:UserInstallation=file://" + os.path.abspath(profile),
         "--headless", "--invisible", "--norestore",
         "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        context = None
        for _ in range(120):
            try:
                context = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                time.sleep(0.5)
        if context is None:
            sys.exit("lo_export: LibreOffice did not answer")
        desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)
        for source, target in zip(pairs[0::2], pairs[1::2]):
            doc = desktop.loadComponentFromURL(
                uno.systemPathToFileUrl(os.path.abspath(source)), "_blank", 0,
                (prop("Hidden", True),))
            indexes = doc.getDocumentIndexes()
            # Twice: the first pass can move pages (a longer contents page),
            # the second writes the page numbers of the final layout.
            dispatcher = context.ServiceManager.createInstanceWithContext(
                "com.sun.star.frame.DispatchHelper", context)
            frame = doc.getCurrentController().getFrame()
            for _ in range(2):
                dispatcher.executeDispatch(frame, ".uno:UpdateAll", "", 0, ())
            doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(target)),
                           (prop("FilterName", "writer_pdf_Export"),))
            doc.close(True)
        try:
            desktop.terminate()
        except Exception:
            pass  # the bridge goes away with the office
    finally:
        try:
            office.wait(timeout=30)
        except subprocess.TimeoutExpired:
            office.terminate()
            office.wait()


if __name__ == "__main__":
    main()
