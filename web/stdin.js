// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The browser's standard input: main reads it as on the desktop. The first
// read waits (through Asyncify) for the line the page hands over,
// Module.readLine; that line, a newline and the end of input are all the
// program ever reads.

var LibraryWebStdin = {
  // Standard input, filled from Module.readLine: the line typed, a newline,
  // then the end of input.
  $WebStdin__deps: ['$Asyncify', '$callUserCallback'],
  $WebStdin__postset: 'Module["stdin"] = WebStdin.read;',
  $WebStdin: {
    pending: null,  // bytes still to read; null until the page gave its line

    // Module.stdin: one byte, null at the end. The first call sleeps until
    // the line comes and is made again when the program wakes, through the
    // same path, so handleSleep is called again to finish waking it.
    read: function() {
      if (WebStdin.pending === null || Asyncify.state === Asyncify.State.Rewinding) {
        Asyncify.handleSleep(function(wakeUp) {
          Module['readLine'](function(line) {
            WebStdin.pending = Array.from(new TextEncoder().encode(line + '\n'));
            // Waking runs main on to glutMainLoop, which ends it the
            // way an event callback ends.
            callUserCallback(function() { wakeUp(0); });
          });
        });
        if (WebStdin.pending === null) return undefined;  // asleep: nothing read
      }
      return WebStdin.pending.length > 0 ? WebStdin.pending.shift() : null;
    },
  },
};

mergeInto(LibraryManager.library, LibraryWebStdin);
// Reading a file descriptor is what brings in standard input from the page.
var fdReadDeps = LibraryManager.library['fd_read__deps'] || [];
LibraryManager.library['fd_read__deps'] = fdReadDeps.concat(['$WebStdin']);
