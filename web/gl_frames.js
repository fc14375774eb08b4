// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The browser's stand-in for what OpenGL 1.1 does with a frame: glClear,
// glClearColor and the buffer swap, and the frame's collected vertices
// (gl_immediate.js) reaching WebGL.
//
// The canvas keeps its pixels from one frame to the next. A frame that
// starts with a clear and holds nothing but collected primitives is compared
// at the swap with the frame the canvas shows. Only the part from the first
// vertex that differs is drawn anew. Before that, the pixels the old frame
// drew from that vertex on, with triangles the new one does not draw again,
// are cleared and drawn again from the shared vertices, within their
// bounding box. Such a frame has no blending or other capability enabled, so
// every pixel shows the last primitive over it and the picture is the one a
// whole redraw gives, while a frame where the piece moved over an unchanged
// figure costs a small part of one. (GLFrames.shown = null forgets the
// canvas, so the next frame is drawn whole; the browser tests and the
// benchmark compare the two.)

var LibraryGLFrames = {
  // Two vertex arrays take turns: the frame being collected and the frame
  // the canvas shows.
  $GLFrames__deps: ['$GL11', '$GLTextures'],
  $GLFrames: {
    frameBuffer: null,    // the collected vertices; holds those of `shown`
    capacity: 0,          // vertices frameBuffer has room for
    culled: null,         // triangles drawn again under damage, and their buffer
    culledBuffer: null,
    frame: null,          // the frame being collected: {words, floats, count}
    other: null,          // the other one, which may be the one shown
    shown: null,          // the frame the canvas shows, or null when unknown
    shownSize: [0, 0],    // the drawing buffer's size when it was drawn
    deferred: false,      // the frame began with a clear not drawn yet
    clearColour: [0, 0, 0, 0],

    // Also after a lost context came back: new buffers, nothing on the
    // canvas to draw over, and the clear colour the game set once.
    setUp: function() {
      GLFrames.capacity = 0;
      GLFrames.shown = null;
      GLFrames.deferred = false;
      GLctx.clearColor.apply(GLctx, GLFrames.clearColour);
      GLFrames.frameBuffer = GLctx.createBuffer();
      GLFrames.culledBuffer = GLctx.createBuffer();
      GLFrames.culled = GLFrames.newFrame(1024);
      GLFrames.frame = GLFrames.newFrame(1024);
      GLFrames.other = GLFrames.newFrame(1024);
    },

    // An empty frame with room for `vertices`.
    newFrame: function(vertices) {
      var words = new Uint32Array(vertices * GL11.kWords);
      return {words: words, floats: new Float32Array(words.buffer), count: 0};
    },

    // Adds `count` vertices to the frame and returns the word where they go.
    // Whole primitives are added at once.
    reserve: function(count) {
      if (!GL11.program) GL11.setUp();
      var frame = GLFrames.frame;
      var words = frame.words.length / GL11.kWords;
      if (frame.count + count > words) {
        var larger = GLFrames.newFrame(Math.max(words * 2, frame.count + count));
        larger.words.set(frame.words.subarray(0, frame.count * GL11.kWords));
        larger.count = frame.count;
        GLFrames.frame = frame = larger;
      }
      var at = frame.count * GL11.kWords;
      frame.count += count;
      return at;
    },

    // Puts vertices `from` to `to` of the frame into frameBuffer, which holds
    // those before `from` already.
    upload: function(from, to) {
      var gl = GLctx;
      var bytes = GL11.kWords * 4;
      gl.bindBuffer(gl.ARRAY_BUFFER, GLFrames.frameBuffer);
      if (to > GLFrames.capacity) {
        GLFrames.capacity = Math.max(to, GLFrames.capacity * 2);
        gl.bufferData(gl.ARRAY_BUFFER, GLFrames.capacity * bytes, gl.DYNAMIC_DRAW);
        from = 0;
      }
      if (to > from) {
        gl.bufferSubData(gl.ARRAY_BUFFER, from * bytes,
                         GLFrames.frame.words.subarray(from * GL11.kWords, to * GL11.kWords));
      }
    },

    // Draws vertices `from` to `to` of `frame`, uploaded to `buffer`, as
    // triangles: one draw call for each run of vertices with the same
    // texture or none, each with the texture its vertices were given with.
    drawRange: function(buffer, frame, from, to) {
      var gl = GLctx;
      var words = frame.words;
      var stride = GL11.kWords * 4;
      var textures = GLTextures.textures;
      gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
      for (var first = from; first < to;) {
        var tag = words[first * GL11.kWords + 4];
        var end = first + 3;
        while (end < to && words[end * GL11.kWords + 4] === tag) end += 3;
        if (tag === 0) {
          gl.useProgram(GL11.program);
          gl.vertexAttribPointer(1, 4, gl.UNSIGNED_BYTE, true, stride, 8);
        } else {
          gl.useProgram(GL11.texturedProgram);
          gl.bindTexture(gl.TEXTURE_2D, textures[tag - 1] || null);
          gl.vertexAttribPointer(1, 2, gl.FLOAT, false, stride, 8);
        }
        gl.vertexAttribPointer(0, 2, gl.FLOAT, false, stride, 0);
        gl.drawArrays(gl.TRIANGLES, first, end - first);
        first = end;
      }
      gl.useProgram(GL11.program);
      gl.bindTexture(gl.TEXTURE_2D, textures[GLTextures.bound] || null);
    },

    // A hash of the triangle whose words start at `at`.
    hashTriangle: function(words, at) {
      var hash = 0;
      for (var w = 0; w < 15; w++) hash = Math.imul(hash ^ words[at + w], 0x9e3779b1);
      return hash;
    },

    // The pixels that the shown frame drew from vertex `from` on and that
    // the new frame does not draw again from there: the bounding box, with a
    // pixel to spare on each side, of the shown triangles that the new frame
    // has not among its own (the same words draw the same pixels). As
    // [x, y, width, height] within the viewport, or null for none.
    damage: function(shown, frame, from) {
      var W = GL11.kWords;
      var v = GL11.viewport;
      var redrawn = new Map();  // the new frame's triangles by hash
      for (var i = from; i < frame.count; i += 3) {
        var hash = GLFrames.hashTriangle(frame.words, i * W);
        var same = redrawn.get(hash);
        if (same) same.push(i); else redrawn.set(hash, [i]);
      }
      var left = Infinity, right = -Infinity, bottom = Infinity, top = -Infinity;
      for (var i = from; i < shown.count; i += 3) {
        var same = redrawn.get(GLFrames.hashTriangle(shown.words, i * W)) || [];
        var again = same.some(function(j) {
          for (var w = 0; w < 3 * W; w++) {
            if (frame.words[j * W + w] !== shown.words[i * W + w]) return false;
          }
          return true;
        });
        if (again) continue;
        for (var k = i; k < i + 3; k++) {
          var x = shown.floats[k * W];
          var y = shown.floats[k * W + 1];
          if (x !== x || y !== y) return v.slice();  // NaN: anywhere
          if (x < left) left = x;
          if (x > right) right = x;
          if (y < bottom) bottom = y;
          if (y > top) top = y;
        }
      }
      var x0 = Math.max(v[0], Math.floor(v[0] + (left + 1) * v[2] / 2) - 1);
      var x1 = Math.min(v[0] + v[2], Math.ceil(v[0] + (right + 1) * v[2] / 2) + 1);
      var y0 = Math.max(v[1], Math.floor(v[1] + (bottom + 1) * v[3] / 2) - 1);
      var y1 = Math.min(v[1] + v[3], Math.ceil(v[1] + (top + 1) * v[3] / 2) + 1);
      return x1 > x0 && y1 > y0 ? [x0, y0, x1 - x0, y1 - y0] : null;
    },

    // Copies the triangles among the first `count` vertices of `frame` that
    // may draw a pixel of the rectangle `box` into `culled`, in order, and
    // uploads them; returns how many vertices that is. The rest would be
    // clipped by the scissor anyway, but not before the software renderer
    // had transformed and set up every one of them.
    cull: function(frame, count, box) {
      var W = GL11.kWords;
      var v = GL11.viewport;
      // The box and a pixel around it, in the coordinates the game gives.
      var left = (box[0] - 1 - v[0]) * 2 / v[2] - 1;
      var right = (box[0] + box[2] + 1 - v[0]) * 2 / v[2] - 1;
      var bottom = (box[1] - 1 - v[1]) * 2 / v[3] - 1;
      var top = (box[1] + box[3] + 1 - v[1]) * 2 / v[3] - 1;
      if (GLFrames.culled.words.length < count * W) GLFrames.culled = GLFrames.newFrame(count);
      var to = GLFrames.culled.words;
      var from = frame.words;
      var floats = frame.floats;
      var kept = 0;
      for (var i = 0; i < count * W; i += 3 * W) {
        var x0 = floats[i], x1 = floats[i + W], x2 = floats[i + 2 * W];
        var y0 = floats[i + 1], y1 = floats[i + W + 1], y2 = floats[i + 2 * W + 1];
        // Clearly outside only; a NaN keeps the triangle.
        if ((x0 < left && x1 < left && x2 < left) || (x0 > right && x1 > right && x2 > right) ||
            (y0 < bottom && y1 < bottom && y2 < bottom) || (y0 > top && y1 > top && y2 > top)) {
          continue;
        }
        for (var w = 0; w < 3 * W; w++) to[kept * W + w] = from[i + w];
        kept += 3;
      }
      var gl = GLctx;
      gl.bindBuffer(gl.ARRAY_BUFFER, GLFrames.culledBuffer);
      gl.bufferData(gl.ARRAY_BUFFER, to.subarray(0, kept * W), gl.STREAM_DRAW);
      return kept;
    },

    // Draws the frame begun with a clear over the frame the canvas shows:
    // what the two share is left standing except where the shown frame drew
    // after it with triangles this one does not draw again, which is cleared
    // and drawn again from the shared vertices; then the rest, which paints
    // over whatever is under it. Without a shown frame to build on, all of
    // it.
    drawDeferred: function() {
      var gl = GLctx;
      var frame = GLFrames.frame;
      var shown = GLFrames.shown;
      GLFrames.deferred = false;
      if (shown && (GLFrames.shownSize[0] !== gl.drawingBufferWidth ||
                    GLFrames.shownSize[1] !== gl.drawingBufferHeight)) {
        shown = GLFrames.shown = null;  // the canvas was resized, and so emptied
      }
      if (!shown) {
        GLFrames.upload(0, frame.count);
        gl.clear(gl.COLOR_BUFFER_BIT);
        GLFrames.drawRange(GLFrames.frameBuffer, frame, 0, frame.count);
        return;
      }
      var W = GL11.kWords;
      var shared = 0;
      var limit = Math.min(frame.count, shown.count) * W;
      var a = frame.words, b = shown.words;
      while (shared < limit && a[shared] === b[shared]) shared++;
      shared = Math.floor(shared / W / 3) * 3;  // whole triangles
      if (shared === frame.count && shared === shown.count) return;  // the same picture
      // frameBuffer holds the shown frame, the same as this one up to `shared`.
      GLFrames.upload(shared, frame.count);
      var damage = GLFrames.damage(shown, frame, shared);
      if (damage) {
        gl.enable(gl.SCISSOR_TEST);
        gl.scissor(damage[0], damage[1], damage[2], damage[3]);
        gl.clear(gl.COLOR_BUFFER_BIT);
        var reaching = GLFrames.cull(frame, shared, damage);
        GLFrames.drawRange(GLFrames.culledBuffer, GLFrames.culled, 0, reaching);
        gl.disable(gl.SCISSOR_TEST);
      }
      GLFrames.drawRange(GLFrames.frameBuffer, frame, shared, frame.count);
    },

    // Draws everything given so far, before something that must come after
    // it reaches WebGL. The canvas then shows no frame to build on.
    flush: function() {
      if (!GL11.program) GL11.setUp();
      if (GLFrames.deferred) {
        GLFrames.drawDeferred();
      } else if (GLFrames.frame.count > 0) {
        GLFrames.upload(0, GLFrames.frame.count);
        GLFrames.drawRange(GLFrames.frameBuffer, GLFrames.frame, 0, GLFrames.frame.count);
      }
      GLFrames.shown = null;
      GLFrames.frame.count = 0;
    },
  },

  // glClear: the game clears the colour buffer, the only one its window has,
  // with nothing enabled that a clear heeds. That begins a frame that can be
  // drawn over the shown one; it hides what was collected before it.
  glClear: function(mask) {
    if (!GL11.program) GL11.setUp();
    GLFrames.frame.count = 0;
    GLFrames.deferred = true;
  },

  // glClearColor: the colour of the clears that follow. The game sets it
  // once, before its first frame; it is kept for a restored context.
  glClearColor: function(red, green, blue, alpha) {
    GLFrames.clearColour = [red, green, blue, alpha];
    GLctx.clearColor(red, green, blue, alpha);
  },

  // glutSwapBuffers: the frame is complete. One begun with a clear is drawn
  // over the one shown and then is the one shown; anything else is drawn as
  // it stands. The browser presents it when the callback returns.
  glutSwapBuffers: function() {
    if (!GL11.program) return;
    if (!GLFrames.deferred) {
      GLFrames.flush();
      return;
    }
    GLFrames.drawDeferred();
    GLFrames.shown = GLFrames.frame;
    GLFrames.shownSize = [GLctx.drawingBufferWidth, GLctx.drawingBufferHeight];
    GLFrames.frame = GLFrames.other;
    GLFrames.other = GLFrames.shown;
    GLFrames.frame.count = 0;
  },
};

autoAddDeps(LibraryGLFrames, '$GLFrames');
mergeInto(LibraryManager.library, LibraryGLFrames);
