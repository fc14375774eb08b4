// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The browser's stand-in for GLUT's window and keys, in place of Emscripten's
// own glutInit and glutCreateWindow: a WebGL context on the page's canvas
// whose drawing buffer keeps its pixels from frame to frame (gl_frames.js
// draws a frame over the one before), and a keyboard callback that gets the
// character the key typed, as on the desktop, so that a capital letter from
// Shift or Caps Lock stays a capital.

var LibraryGlutWindow = {
  // glutCreateWindow: GLUT's, with a drawing buffer that keeps its pixels
  // from frame to frame, so that a frame can be drawn over the one before.
  // Should the browser refuse the context after all (the page asks before it
  // loads the game), the page is told, and the program ends there, leaving
  // main the way glutMainLoop does, before anything draws.
  glutCreateWindow__deps: ['$Browser', '$GLUT', '$keepContext'],
  glutCreateWindow: function(name) {
    var mode = GLUT.initDisplayMode;
    Module.ctx = Browser.createContext(Module['canvas'], true, true, {
      antialias: (mode & 0x0080) !== 0,  // GLUT_MULTISAMPLE
      depth: (mode & 0x0010) !== 0,      // GLUT_DEPTH
      stencil: (mode & 0x0020) !== 0,    // GLUT_STENCIL
      alpha: (mode & 0x0008) !== 0,      // GLUT_ALPHA
      preserveDrawingBuffer: true,
    });
    if (!Module.ctx) {
      if (Module['onNoWebGL']) Module['onNoWebGL']();
      throw 'unwind';
    }
    keepContext(Module['canvas']);
    return 1;
  },

  // A lost context is asked back: a phone takes it away when short of
  // memory or when the page goes to the background. Meanwhile keys and
  // gravity go on and nothing is drawn. Once it is back, empty, the GL layer
  // and the game make again what they kept in it, and the next frame is
  // drawn whole.
  $keepContext__deps: ['$GLUT', '$GL11', 'glutPostRedisplay'],
  $keepContext: function(canvas) {
    canvas.addEventListener('webglcontextlost', function(event) {
      event.preventDefault();
    });
    canvas.addEventListener('webglcontextrestored', function() {
      GL11.forgetContext();
      if (Module['_contextRestored']) Module['_contextRestored']();
      _glutPostRedisplay();
    });
  },

  // glutInit: GLUT's start without its mouse and touch handling, and with
  // keys taken by the character typed, wherever the page has the focus
  // (caught on the way down, so that a key sent to the canvas alone counts
  // too) except in a text field. The browser keeps what the game does not
  // use: Tab, the function keys, Escape, and Ctrl, Alt or Meta with a key,
  // which the desktop's game also leaves alone. When the program ends the
  // canvas is left as it is, so its last frame stays in sight.
  glutInit__deps: ['$GLUT', '$Browser'],
  glutInit: function(argcp, argv) {
    GLUT.initTime = Date.now();
    // Keys with a name of their own that still type a character.
    var named = {Enter: 13, Escape: 27, Backspace: 8, Delete: 127};
    // Keys the game acts on, and keys that would scroll the page.
    var kept = /^([adsw ]|Arrow(Up|Down|Left|Right)|Page(Up|Down)|Home|End)$/;
    var onKeydown = function(event) {
      if (event.ctrlKey || event.altKey || event.metaKey) return;
      var target = event.target;
      if (target.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName || '')) return;
      if (kept.test(event.key)) event.preventDefault();
      var code = event.key.length === 1 ? event.key.charCodeAt(0) : named[event.key];
      if (code !== undefined && code < 256 && GLUT.keyboardFunc) {
        {{{ makeDynCall('viii', 'GLUT.keyboardFunc') }}}(code, Browser.mouseX, Browser.mouseY);
      }
    };
    window.addEventListener('keydown', onKeydown, true);
    __ATEXIT__.push(function() {
      window.removeEventListener('keydown', onKeydown, true);
    });
  },
};

mergeInto(LibraryManager.library, LibraryGlutWindow);
