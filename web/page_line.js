// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The line the player types on the page, handed to the program's start-up
// (app/console_web.cpp) in place of standard input. The first import waits,
// through Asyncify, until the page gives the line (Module.readLine); the
// program then copies its bytes, UTF-8, and reads the order from them.

var LibraryPageLine = {
  $PageLine: {
    bytes: null,  // the line as UTF-8, once the page gave it
  },

  // The line's length in bytes. The call sleeps until the line comes and is
  // made again when the program wakes, so handleSleep is called again to
  // finish waking it, and gives the length then.
  pageLineLength__deps: ['$PageLine', '$Asyncify', '$callUserCallback'],
  pageLineLength: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      Module['readLine'](function(line) {
        PageLine.bytes = new TextEncoder().encode(line);
        // Waking runs main on to glutMainLoop, which ends it the way an
        // event callback ends.
        callUserCallback(function() { wakeUp(PageLine.bytes.length); });
      });
    });
  },

  pageLineCopy__deps: ['$PageLine'],
  pageLineCopy: function(bytes) {
    HEAPU8.set(PageLine.bytes, bytes);
  },
};

mergeInto(LibraryManager.library, LibraryPageLine);
