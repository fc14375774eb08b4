// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The browser's stand-in for OpenGL 1.1's state and immediate mode, linked
// into the web build with --js-library like the other files here: the
// current colour, line width and texture coordinates, glBegin/glEnd, glRectf,
// and the two shader programs that draw on the plain WebGL context made for
// the canvas by glutCreateWindow (glut_window.js).
//
// Triangles, rectangles and polygons, coloured or textured, are collected in
// the order they are given into the frame's vertex array (gl_frames.js),
// which reaches WebGL when something else has to reach the screen in order.
// Line loops become filled quads as wide as glLineWidth asks, because WebGL
// draws lines one pixel wide only. Colours are clamped to 0..1 where they are
// drawn, as GL clamps them; textured primitives are drawn with nearest
// sampling, the texel replacing the colour.
//
// Sizes in pixels all come from GL11.viewport, WebGL's viewport when the
// context was made: the canvas's size. The game never sets another.

var LibraryGLImmediate = {
  // A collected vertex is five 32-bit words: x and y as floats; then for a
  // coloured vertex its colour clamped and rounded to bytes as GL does for an
  // 8-bit window (r, g, b, a in memory order) and a zero word, for a textured
  // one s and t as floats; last the texture it is drawn with, 1 + its name,
  // or 0 for none.
  $GL11__deps: ['$GL', '$GLFrames', '$GLTextures'],
  $GL11: {
    kWords: 5,
    program: null,        // coloured vertices
    texturedProgram: null,
    viewport: [0, 0, 0, 0],
    rgba: 0xffffffff,     // the current colour, as bytes
    lineWidth: 1,
    mode: -1,             // the glBegin mode, -1 outside glBegin/glEnd
    primitive: null,      // Float32Array view of the vertices since glBegin
    primitiveWords: null, // Uint32Array view of the same
    primitiveCount: 0,
    texturing: false,     // GL_TEXTURE_2D enabled
    s: 0, t: 0,           // the current texture coordinates
    primitiveTexels: null, // Float32Array of s, t per vertex since glBegin

    // A float colour channel as an 8-bit window stores it: clamped, scaled
    // in single precision and rounded to the nearest, ties to even (0.3 is
    // 76, not 77, as on the desktop).
    byte: function(c) {
      if (c <= 0) return 0;
      if (c >= 1) return 255;
      var scaled = Math.fround(c * 255);
      var nearest = Math.round(scaled);
      return nearest - scaled === 0.5 && nearest % 2 === 1 ? nearest - 1 : nearest;
    },

    // Room for `count` vertices since glBegin.
    primitiveRoom: function(count) {
      if (GL11.primitive && GL11.primitive.length >= count * 3) return;
      var size = Math.max(64, count * 2);
      var words = new Uint32Array(size * 3);
      var texels = new Float32Array(size * 2);
      if (GL11.primitiveWords) words.set(GL11.primitiveWords);
      if (GL11.primitiveTexels) texels.set(GL11.primitiveTexels);
      GL11.primitiveWords = words;
      GL11.primitive = new Float32Array(words.buffer);
      GL11.primitiveTexels = texels;
    },

    // After the browser gave back a lost context, empty: the programs and
    // buffers are made again on the next call that draws, as on first use,
    // and the textures on their next bind, under the same names.
    forgetContext: function() {
      GL11.program = null;
      GLTextures.textures = [null];
    },

    // Compiles the shaders on first use: positions as given (no matrices are
    // ever set), colours clamped. Then the frames' and arrays' buffers.
    setUp: function() {
      var gl = GLctx;
      // A lost context answers nothing; its objects come when it is back.
      GL11.viewport = Array.from(gl.getParameter(gl.VIEWPORT) || GL11.viewport);
      var compile = function(type, source) {
        var shader = gl.createShader(type);
        gl.shaderSource(shader, source);
        gl.compileShader(shader);
        return shader;
      };
      var program = gl.createProgram();
      // A vertex whose window y lies within 1/16 pixel of a pixel centre is
      // moved to 1/16 above or below it, on the side where a rasterizer with
      // 8 subpixel bits, like the desktop's Mesa, sees it (above on a tie).
      // A renderer with only 4 bits, like the browser's software one, would
      // put it on the centre and break the tie its own way, so that whole
      // horizontal edges of the figure would move by a row.
      gl.attachShader(program, compile(gl.VERTEX_SHADER,
        'attribute vec4 position; attribute vec4 colour; uniform float height;' +
        'varying vec4 shade;' +
        'void main() {' +
        '  float y = (position.y / position.w + 1.0) * 0.5 * height;' +
        '  float off = y - floor(y) - 0.5;' +
        '  if (abs(off) < 0.0625) {' +
        '    y += (floor(off * 256.0 + 0.5) >= 0.0 ? 0.0625 : -0.0625) - off;' +
        '  }' +
        '  gl_Position = vec4(position.x, (y / height * 2.0 - 1.0) * position.w,' +
        '                     position.z, position.w);' +
        '  shade = clamp(colour, 0.0, 1.0);' +
        '}'));
      gl.attachShader(program, compile(gl.FRAGMENT_SHADER,
        'precision mediump float; varying vec4 shade;' +
        'void main() { gl_FragColor = shade; }'));
      gl.bindAttribLocation(program, 0, 'position');
      gl.bindAttribLocation(program, 1, 'colour');
      gl.linkProgram(program);
      gl.useProgram(program);
      gl.enableVertexAttribArray(0);
      gl.enableVertexAttribArray(1);
      gl.uniform1f(gl.getUniformLocation(program, 'height'), GL11.viewport[3]);
      GL11.program = program;
      // Textured vertices: positions as given, the texel at the fragment's
      // texture coordinates as its colour (GL_REPLACE). Positions go as they
      // are: the game's textured quads have their edges between pixels.
      var textured = gl.createProgram();
      gl.attachShader(textured, compile(gl.VERTEX_SHADER,
        'attribute vec4 position; attribute vec2 place; varying vec2 texel;' +
        'void main() { gl_Position = position; texel = place; }'));
      gl.attachShader(textured, compile(gl.FRAGMENT_SHADER,
        '#ifdef GL_FRAGMENT_PRECISION_HIGH\n' +
        'precision highp float;\n' +
        '#else\n' +
        'precision mediump float;\n' +
        '#endif\n' +
        'uniform sampler2D image; varying vec2 texel;' +
        'void main() { gl_FragColor = texture2D(image, texel); }'));
      gl.bindAttribLocation(textured, 0, 'position');
      gl.bindAttribLocation(textured, 1, 'place');
      gl.linkProgram(textured);
      GL11.texturedProgram = textured;
      GLFrames.setUp();
      GLTextures.setUp();
    },

    // The corner (x, y) in the colour `rgba` at word `at` of the frame.
    put: function(at, x, y, rgba) {
      var frame = GLFrames.frame;
      frame.floats[at] = x;
      frame.floats[at + 1] = y;
      frame.words[at + 2] = rgba;
      frame.words[at + 3] = 0;
      frame.words[at + 4] = 0;
    },

    // Adds the triangle of primitive vertices i, j and k, with their colours,
    // or while GL_TEXTURE_2D is enabled with their texture coordinates and
    // the bound texture. Words are copied as they are, five to a vertex.
    triangle: function(i, j, k) {
      var at = GLFrames.reserve(3);
      var to = GLFrames.frame.words;
      var from = GL11.primitiveWords;
      if (GL11.texturing) {
        var texels = GL11.primitiveTexels;
        var floats = GLFrames.frame.floats;
        for (var n = 0; n < 3; n++, at += 5) {
          var p = n === 0 ? i : n === 1 ? j : k;
          to[at] = from[p * 3];
          to[at + 1] = from[p * 3 + 1];
          floats[at + 2] = texels[p * 2];
          floats[at + 3] = texels[p * 2 + 1];
          to[at + 4] = 1 + GLTextures.bound;
        }
        return;
      }
      to[at] = from[i * 3]; to[at + 1] = from[i * 3 + 1]; to[at + 2] = from[i * 3 + 2];
      to[at + 3] = 0; to[at + 4] = 0;
      to[at + 5] = from[j * 3]; to[at + 6] = from[j * 3 + 1]; to[at + 7] = from[j * 3 + 2];
      to[at + 8] = 0; to[at + 9] = 0;
      to[at + 10] = from[k * 3]; to[at + 11] = from[k * 3 + 1]; to[at + 12] = from[k * 3 + 2];
      to[at + 13] = 0; to[at + 14] = 0;
    },

    // A segment from primitive vertex i to j as wide lines are drawn without
    // antialiasing: a quad reaching half the width above and below it when it
    // runs more across than up, left and right of it otherwise; ends as
    // given; colours run from one end's to the other's.
    segment: function(i, j) {
      var v = GL11.primitive;
      var x0 = v[i * 3], y0 = v[i * 3 + 1], x1 = v[j * 3], y1 = v[j * 3 + 1];
      var c0 = GL11.primitiveWords[i * 3 + 2], c1 = GL11.primitiveWords[j * 3 + 2];
      var width = GL11.viewport[2], height = GL11.viewport[3];
      var half = GL11.lineWidth / 2;
      var ox = 0, oy = 0;
      if (Math.abs((x1 - x0) * width) >= Math.abs((y1 - y0) * height)) {
        oy = half * 2 / height;
      } else {
        ox = half * 2 / width;
      }
      var at = GLFrames.reserve(6);
      var W = GL11.kWords;
      GL11.put(at, x0 - ox, y0 - oy, c0);
      GL11.put(at + W, x1 - ox, y1 - oy, c1);
      GL11.put(at + 2 * W, x1 + ox, y1 + oy, c1);
      GL11.put(at + 3 * W, x0 - ox, y0 - oy, c0);
      GL11.put(at + 4 * W, x1 + ox, y1 + oy, c1);
      GL11.put(at + 5 * W, x0 + ox, y0 + oy, c0);
    },
  },

  // glColor3f: the colour of the vertices that follow, also inside glBegin.
  glColor3f: function(r, g, b) {
    GL11.rgba = (GL11.byte(r) | GL11.byte(g) << 8 | GL11.byte(b) << 16 | 0xff000000) >>> 0;
  },

  // glBegin: starts collecting the vertices of one primitive.
  glBegin: function(mode) {
    GL11.mode = mode;
    GL11.primitiveCount = 0;
  },

  // glVertex2f: one vertex with the current colour, and the current texture
  // coordinates while GL_TEXTURE_2D is enabled.
  glVertex2f: function(x, y) {
    var n = GL11.primitiveCount++;
    GL11.primitiveRoom(n + 1);
    GL11.primitive[n * 3] = x;
    GL11.primitive[n * 3 + 1] = y;
    GL11.primitiveWords[n * 3 + 2] = GL11.rgba;
    if (GL11.texturing) {
      GL11.primitiveTexels[n * 2] = GL11.s;
      GL11.primitiveTexels[n * 2 + 1] = GL11.t;
    }
  },

  // glTexCoord2f: the texture coordinates of the vertices that follow.
  glTexCoord2f: function(s, t) {
    GL11.s = s;
    GL11.t = t;
  },

  // glEnd: hands the finished primitive to the frame. The game draws
  // polygons (convex, so drawn as fans), quads and line loops; other modes
  // draw nothing.
  glEnd: function() {
    var n = GL11.primitiveCount;
    switch (GL11.mode) {
      case 0x0009:  // GL_POLYGON
        for (var i = 1; i + 1 < n; i++) GL11.triangle(0, i, i + 1);
        break;
      case 0x0007:  // GL_QUADS, each as two triangles
        for (var i = 0; i + 3 < n; i += 4) {
          GL11.triangle(i, i + 1, i + 2);
          GL11.triangle(i, i + 2, i + 3);
        }
        break;
      case 0x0002:  // GL_LINE_LOOP
        for (var i = 0; i + 1 < n; i++) GL11.segment(i, i + 1);
        if (n > 2) GL11.segment(n - 1, 0);
        break;
    }
    GL11.mode = -1;
    GL11.primitiveCount = 0;
  },

  // glRectf: the rectangle as GL defines it, a polygon from (x1, y1) round to
  // (x1, y2), in the current colour.
  glRectf: function(x1, y1, x2, y2) {
    var c = GL11.rgba;
    var at = GLFrames.reserve(6);
    var W = GL11.kWords;
    GL11.put(at, x1, y1, c);
    GL11.put(at + W, x2, y1, c);
    GL11.put(at + 2 * W, x2, y2, c);
    GL11.put(at + 3 * W, x1, y1, c);
    GL11.put(at + 4 * W, x2, y2, c);
    GL11.put(at + 5 * W, x1, y2, c);
  },

  // glLineWidth: the width of the quads that stand in for lines.
  glLineWidth: function(width) {
    GL11.lineWidth = width;
  },
};

autoAddDeps(LibraryGLImmediate, '$GL11');
mergeInto(LibraryManager.library, LibraryGLImmediate);
