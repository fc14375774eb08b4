// The browser's stand-ins for what the desktop gets from its OpenGL 1.1 and
// its GLUT, linked into the web build with --js-library. The C++ calls the
// same functions on every platform; here they run on the plain WebGL context
// made for the canvas by glutCreateWindow below.
//
// Drawing: immediate-mode triangles, rectangles and polygons, coloured or
// textured, are collected in the order they are given into the frame's one
// vertex array, and reach WebGL in a few draw calls when something else has
// to reach the screen in order (client arrays, a change to a texture, the
// buffer swap). Line loops and strips become filled quads as wide as glLineWidth
// asks, because WebGL draws lines one pixel wide only. Colours are clamped
// to 0..1 where they are drawn, as GL clamps them; textured primitives are
// drawn with nearest sampling, the texel replacing the colour.
//
// Frames: the canvas keeps its pixels from one frame to the next. A frame
// that starts with a clear and holds nothing but collected primitives is
// compared at the swap with the frame the canvas shows. Only the part from
// the first vertex that differs is drawn anew. Before that, the pixels the
// old frame drew from that vertex on, with triangles the new one does not
// draw again, are cleared and drawn again from the shared vertices, within
// their bounding box. Such a frame has no blending or other capability
// enabled, so every pixel shows the last primitive over it and the picture
// is the one a whole redraw gives, while a frame where the piece moved over
// an unchanged figure costs a small part of one. (GL11.shown = null forgets
// the canvas, so the next frame is drawn whole; the browser tests and the
// benchmark compare the two.)
//
// Keys: GLUT's keyboard callback gets the character the key typed, as on the
// desktop, so a capital letter from Shift or Caps Lock stays a capital.
//
// Standard input: main reads it as on the desktop. The first read waits
// (through Asyncify) for the line the page hands over, Module.readLine; that
// line, a newline and the end of input are all the program ever reads.

var LibraryWebPlatform = {
  // The state a desktop driver would keep (the current colour, line width,
  // texture coordinates and texture, the primitive being built between
  // glBegin and glEnd, the client arrays), and the frames.
  //
  // A collected vertex is five 32-bit words: x and y as floats; then for a
  // coloured vertex its colour clamped and rounded to bytes as GL does for an
  // 8-bit window (r, g, b, a in memory order) and a zero word, for a textured
  // one s and t as floats; last the texture it is drawn with, 1 + its name,
  // or 0 for none. Two vertex arrays take turns: the frame being collected
  // and the frame the canvas shows.
  $GL11__deps: ['$GL'],
  $GL11: {
    kWords: 5,
    program: null,        // coloured vertices
    texturedProgram: null,
    vertexBuffer: null,   // client arrays
    colourBuffer: null,
    frameBuffer: null,    // the collected vertices; holds those of `shown`
    capacity: 0,          // vertices frameBuffer has room for
    culled: null,         // triangles drawn again under damage, and their buffer
    culledBuffer: null,
    frame: null,          // the frame being collected: {words, floats, count}
    other: null,          // the other one, which may be the one shown
    shown: null,          // the frame the canvas shows, or null when unknown
    shownSize: [0, 0],    // the drawing buffer's size when it was drawn
    deferred: false,      // the frame began with a clear not drawn yet
    enabled: {},          // capabilities enabled other than GL_TEXTURE_2D
    enabledCount: 0,
    viewport: [0, 0, 0, 0],
    red: 1, green: 1, blue: 1,  // the current colour, as given
    rgba: 0xffffffff,     // the same, as bytes
    lineWidth: 1,
    mode: -1,             // the glBegin mode, -1 outside glBegin/glEnd
    primitive: null,      // Float32Array view of the vertices since glBegin
    primitiveWords: null, // Uint32Array view of the same
    primitiveCount: 0,
    arrays: {vertex: false, colour: false},
    texturing: false,     // GL_TEXTURE_2D enabled
    s: 0, t: 0,           // the current texture coordinates
    primitiveTexels: null, // Float32Array of s, t per vertex since glBegin
    textures: [null],     // WebGL textures by GL name; 0 is none
    bound: 0,             // the name bound to GL_TEXTURE_2D
    nextName: 1,          // the next name glGenTextures hands out
    vertexPointer: {size: 4, stride: 0, ptr: 0},
    colourPointer: {size: 4, stride: 0, ptr: 0},

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

    // An empty frame with room for `vertices`.
    newFrame: function(vertices) {
      var words = new Uint32Array(vertices * GL11.kWords);
      return {words: words, floats: new Float32Array(words.buffer), count: 0};
    },

    // Compiles the shaders on first use: positions as given (no matrices are
    // ever set), colours clamped.
    setUp: function() {
      var gl = GLctx;
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
      gl.uniform1f(gl.getUniformLocation(program, 'height'), gl.drawingBufferHeight);
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
      GL11.vertexBuffer = gl.createBuffer();
      GL11.colourBuffer = gl.createBuffer();
      GL11.frameBuffer = gl.createBuffer();
      GL11.culledBuffer = gl.createBuffer();
      GL11.culled = GL11.newFrame(1024);
      GL11.frame = GL11.newFrame(1024);
      GL11.other = GL11.newFrame(1024);
      GL11.viewport = Array.from(gl.getParameter(gl.VIEWPORT));
    },

    // Adds `count` vertices to the frame and returns the word where they go.
    // Whole primitives are added at once.
    reserve: function(count) {
      if (!GL11.program) GL11.setUp();
      var frame = GL11.frame;
      var words = frame.words.length / GL11.kWords;
      if (frame.count + count > words) {
        var larger = GL11.newFrame(Math.max(words * 2, frame.count + count));
        larger.words.set(frame.words.subarray(0, frame.count * GL11.kWords));
        larger.count = frame.count;
        GL11.frame = frame = larger;
      }
      var at = frame.count * GL11.kWords;
      frame.count += count;
      return at;
    },

    // The corner (x, y) in the colour `rgba` at word `at`.
    put: function(at, x, y, rgba) {
      var frame = GL11.frame;
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
      var at = GL11.reserve(3);
      var to = GL11.frame.words;
      var from = GL11.primitiveWords;
      if (GL11.texturing) {
        var texels = GL11.primitiveTexels;
        var floats = GL11.frame.floats;
        for (var n = 0; n < 3; n++, at += 5) {
          var p = n === 0 ? i : n === 1 ? j : k;
          to[at] = from[p * 3];
          to[at + 1] = from[p * 3 + 1];
          floats[at + 2] = texels[p * 2];
          floats[at + 3] = texels[p * 2 + 1];
          to[at + 4] = 1 + GL11.bound;
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

    // Puts vertices `from` to `to` of the frame into frameBuffer, which holds
    // those before `from` already.
    upload: function(from, to) {
      var gl = GLctx;
      var bytes = GL11.kWords * 4;
      gl.bindBuffer(gl.ARRAY_BUFFER, GL11.frameBuffer);
      if (to > GL11.capacity) {
        GL11.capacity = Math.max(to, GL11.capacity * 2);
        gl.bufferData(gl.ARRAY_BUFFER, GL11.capacity * bytes, gl.DYNAMIC_DRAW);
        from = 0;
      }
      if (to > from) {
        gl.bufferSubData(gl.ARRAY_BUFFER, from * bytes,
                         GL11.frame.words.subarray(from * GL11.kWords, to * GL11.kWords));
      }
    },

    // Draws vertices `from` to `to` of `frame`, uploaded to `buffer`, as
    // triangles: one draw call for each run of vertices with the same
    // texture or none.
    drawRange: function(buffer, frame, from, to) {
      var gl = GLctx;
      var words = frame.words;
      var stride = GL11.kWords * 4;
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
          gl.bindTexture(gl.TEXTURE_2D, GL11.textures[tag - 1] || null);
          gl.vertexAttribPointer(1, 2, gl.FLOAT, false, stride, 8);
        }
        gl.vertexAttribPointer(0, 2, gl.FLOAT, false, stride, 0);
        gl.drawArrays(gl.TRIANGLES, first, end - first);
        first = end;
      }
      gl.useProgram(GL11.program);
      gl.bindTexture(gl.TEXTURE_2D, GL11.textures[GL11.bound] || null);
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
    // [x, y, width, height] of the drawing buffer, or null for none.
    damage: function(shown, frame, from) {
      var gl = GLctx;
      var width = gl.drawingBufferWidth;
      var height = gl.drawingBufferHeight;
      var W = GL11.kWords;
      var redrawn = new Map();  // the new frame's triangles by hash
      for (var i = from; i < frame.count; i += 3) {
        var hash = GL11.hashTriangle(frame.words, i * W);
        var same = redrawn.get(hash);
        if (same) same.push(i); else redrawn.set(hash, [i]);
      }
      var left = Infinity, right = -Infinity, bottom = Infinity, top = -Infinity;
      for (var i = from; i < shown.count; i += 3) {
        var same = redrawn.get(GL11.hashTriangle(shown.words, i * W)) || [];
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
          if (x !== x || y !== y) return [0, 0, width, height];  // NaN: anywhere
          if (x < left) left = x;
          if (x > right) right = x;
          if (y < bottom) bottom = y;
          if (y > top) top = y;
        }
      }
      var v = GL11.viewport;
      var x0 = Math.max(0, Math.floor(v[0] + (left + 1) * v[2] / 2) - 1);
      var x1 = Math.min(width, Math.ceil(v[0] + (right + 1) * v[2] / 2) + 1);
      var y0 = Math.max(0, Math.floor(v[1] + (bottom + 1) * v[3] / 2) - 1);
      var y1 = Math.min(height, Math.ceil(v[1] + (top + 1) * v[3] / 2) + 1);
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
      if (GL11.culled.words.length < count * W) GL11.culled = GL11.newFrame(count);
      var to = GL11.culled.words;
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
      gl.bindBuffer(gl.ARRAY_BUFFER, GL11.culledBuffer);
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
      var frame = GL11.frame;
      var shown = GL11.shown;
      GL11.deferred = false;
      if (shown && (GL11.shownSize[0] !== gl.drawingBufferWidth ||
                    GL11.shownSize[1] !== gl.drawingBufferHeight)) {
        shown = GL11.shown = null;  // the canvas was resized, and so emptied
      }
      if (!shown) {
        GL11.upload(0, frame.count);
        gl.clear(gl.COLOR_BUFFER_BIT);
        GL11.drawRange(GL11.frameBuffer, frame, 0, frame.count);
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
      GL11.upload(shared, frame.count);
      var damage = GL11.damage(shown, frame, shared);
      if (damage) {
        gl.enable(gl.SCISSOR_TEST);
        gl.scissor(damage[0], damage[1], damage[2], damage[3]);
        gl.clear(gl.COLOR_BUFFER_BIT);
        var reaching = GL11.cull(frame, shared, damage);
        GL11.drawRange(GL11.culledBuffer, GL11.culled, 0, reaching);
        gl.disable(gl.SCISSOR_TEST);
      }
      GL11.drawRange(GL11.frameBuffer, frame, shared, frame.count);
    },

    // Draws everything given so far, before something that must come after
    // it reaches WebGL. The canvas then shows no frame to build on.
    flush: function() {
      if (!GL11.program) GL11.setUp();
      if (GL11.deferred) {
        GL11.drawDeferred();
      } else if (GL11.frame.count > 0) {
        GL11.upload(0, GL11.frame.count);
        GL11.drawRange(GL11.frameBuffer, GL11.frame, 0, GL11.frame.count);
      }
      GL11.shown = null;
      GL11.frame.count = 0;
    },

    // The texture a name stands for, made when the name is first used, as
    // GL makes it on the first bind. It is clamped to its edge, the only
    // wrapping WebGL allows for every size.
    texture: function(name) {
      var texture = GL11.textures[name];
      if (texture) return texture;
      var gl = GLctx;
      texture = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_2D, texture);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
      gl.bindTexture(gl.TEXTURE_2D, GL11.textures[GL11.bound] || null);
      GL11.textures[name] = texture;
      return texture;
    },

    // A segment from primitive vertex i to j as wide lines are drawn without
    // antialiasing: a quad reaching half the width above and below it when it
    // runs more across than up, left and right of it otherwise; ends as
    // given; colours run from one end's to the other's.
    segment: function(i, j) {
      var v = GL11.primitive;
      var x0 = v[i * 3], y0 = v[i * 3 + 1], x1 = v[j * 3], y1 = v[j * 3 + 1];
      var c0 = GL11.primitiveWords[i * 3 + 2], c1 = GL11.primitiveWords[j * 3 + 2];
      var canvas = Module['canvas'];
      var half = GL11.lineWidth / 2;
      var ox = 0, oy = 0;
      if (Math.abs((x1 - x0) * canvas.width) >= Math.abs((y1 - y0) * canvas.height)) {
        oy = half * 2 / canvas.height;
      } else {
        ox = half * 2 / canvas.width;
      }
      var at = GL11.reserve(6);
      var W = GL11.kWords;
      GL11.put(at, x0 - ox, y0 - oy, c0);
      GL11.put(at + W, x1 - ox, y1 - oy, c1);
      GL11.put(at + 2 * W, x1 + ox, y1 + oy, c1);
      GL11.put(at + 3 * W, x0 - ox, y0 - oy, c0);
      GL11.put(at + 4 * W, x1 + ox, y1 + oy, c1);
      GL11.put(at + 5 * W, x0 + ox, y0 + oy, c0);
    },

    // The primitive built since glBegin, complete at glEnd.
    emit: function() {
      var n = GL11.primitiveCount;
      switch (GL11.mode) {
        case 0x0004:  // GL_TRIANGLES
          for (var i = 0; i + 2 < n; i += 3) GL11.triangle(i, i + 1, i + 2);
          break;
        case 0x0006:  // GL_TRIANGLE_FAN
        case 0x0009:  // GL_POLYGON, convex, so drawn as a fan
          for (var i = 1; i + 1 < n; i++) GL11.triangle(0, i, i + 1);
          break;
        case 0x0007:  // GL_QUADS, each as two triangles
          for (var i = 0; i + 3 < n; i += 4) {
            GL11.triangle(i, i + 1, i + 2);
            GL11.triangle(i, i + 2, i + 3);
          }
          break;
        case 0x0001:  // GL_LINES
          for (var i = 0; i + 1 < n; i += 2) GL11.segment(i, i + 1);
          break;
        case 0x0002:  // GL_LINE_LOOP
        case 0x0003:  // GL_LINE_STRIP
          for (var i = 0; i + 1 < n; i++) GL11.segment(i, i + 1);
          if (GL11.mode === 0x0002 && n > 2) GL11.segment(n - 1, 0);
          break;
      }
    },
  },

  // glutCreateWindow: GLUT's, with a drawing buffer that keeps its pixels
  // from frame to frame, so that a frame can be drawn over the one before.
  glutCreateWindow__deps: ['$Browser', '$GLUT'],
  glutCreateWindow: function(name) {
    var mode = GLUT.initDisplayMode;
    Module.ctx = Browser.createContext(Module['canvas'], true, true, {
      antialias: (mode & 0x0080) !== 0,  // GLUT_MULTISAMPLE
      depth: (mode & 0x0010) !== 0,      // GLUT_DEPTH
      stencil: (mode & 0x0020) !== 0,    // GLUT_STENCIL
      alpha: (mode & 0x0008) !== 0,      // GLUT_ALPHA
      preserveDrawingBuffer: true,
    });
    return Module.ctx ? 1 : 0;
  },

  // glColor3f: the colour of the vertices that follow, also inside glBegin.
  glColor3f: function(r, g, b) {
    GL11.red = r;
    GL11.green = g;
    GL11.blue = b;
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

  // glEnd: hands the finished primitive to the frame.
  glEnd: function() {
    GL11.emit();
    GL11.mode = -1;
    GL11.primitiveCount = 0;
  },

  // glRectf: the rectangle as GL defines it, a polygon from (x1, y1) round to
  // (x1, y2), in the current colour.
  glRectf: function(x1, y1, x2, y2) {
    var c = GL11.rgba;
    var at = GL11.reserve(6);
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

  // glClear: a clear of the colour alone, with nothing enabled that it would
  // heed, begins a frame that can be drawn over the shown one; it hides what
  // was collected before it. Any other clear comes after what was given
  // before it.
  glClear: function(mask) {
    if (!GL11.program) GL11.setUp();
    if (mask === 0x4000 && GL11.enabledCount === 0) {  // GL_COLOR_BUFFER_BIT
      GL11.frame.count = 0;
      GL11.deferred = true;
    } else {
      GL11.flush();
      GLctx.clear(mask);
    }
  },

  // glClearColor / glViewport: for what comes after, and a picture that can
  // no longer be built on.
  glClearColor: function(red, green, blue, alpha) {
    if (GL11.program) GL11.flush();
    GLctx.clearColor(red, green, blue, alpha);
  },
  glViewport: function(x, y, width, height) {
    if (GL11.program) GL11.flush();
    GLctx.viewport(x, y, width, height);
    GL11.viewport = [x, y, width, height];
  },

  // glFlush: what was given goes to WebGL.
  glFlush: function() {
    GL11.flush();
    GLctx.flush();
  },

  // glEnableClientState / glDisableClientState: GL_VERTEX_ARRAY and
  // GL_COLOR_ARRAY, read by glDrawArrays.
  glEnableClientState: function(array) {
    if (array === 0x8074) GL11.arrays.vertex = true;
    if (array === 0x8076) GL11.arrays.colour = true;
  },
  glDisableClientState: function(array) {
    if (array === 0x8074) GL11.arrays.vertex = false;
    if (array === 0x8076) GL11.arrays.colour = false;
  },

  // glVertexPointer / glColorPointer: where the arrays lie in the program's
  // memory; GL_FLOAT only, stride 0 for tightly packed.
  glVertexPointer: function(size, type, stride, ptr) {
    GL11.vertexPointer = {size: size, stride: stride || size * 4, ptr: ptr};
  },
  glColorPointer: function(size, type, stride, ptr) {
    GL11.colourPointer = {size: size, stride: stride || size * 4, ptr: ptr};
  },

  // glDrawArrays: triangles straight from the client arrays, after what was
  // given before them; without a colour array, in the current colour.
  glDrawArrays: function(mode, first, count) {
    if (!GL11.arrays.vertex || count <= 0) return;
    GL11.flush();
    var gl = GLctx;
    var upload = function(buffer, pointer, location) {
      var start = pointer.ptr + first * pointer.stride;
      var length = (count - 1) * pointer.stride + pointer.size * 4;
      gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
      gl.bufferData(gl.ARRAY_BUFFER, HEAPU8.subarray(start, start + length), gl.STREAM_DRAW);
      gl.vertexAttribPointer(location, pointer.size, gl.FLOAT, false, pointer.stride, 0);
    };
    upload(GL11.vertexBuffer, GL11.vertexPointer, 0);
    if (GL11.arrays.colour) {
      upload(GL11.colourBuffer, GL11.colourPointer, 1);
    } else {
      gl.disableVertexAttribArray(1);
      gl.vertexAttrib4f(1, GL11.red, GL11.green, GL11.blue, 1);
    }
    gl.drawArrays(mode, 0, count);
    gl.enableVertexAttribArray(1);
  },

  // glEnable / glDisable: GL_TEXTURE_2D textures what glBegin draws from then
  // on; other capabilities go to WebGL, after what was given before.
  glEnable: function(cap) {
    if (cap === 0x0DE1) {
      GL11.texturing = true;
    } else {
      GL11.flush();
      GLctx.enable(cap);
      if (!GL11.enabled[cap]) GL11.enabledCount++;
      GL11.enabled[cap] = true;
    }
  },
  glDisable: function(cap) {
    if (cap === 0x0DE1) {
      GL11.texturing = false;
    } else {
      GL11.flush();
      GLctx.disable(cap);
      if (GL11.enabled[cap]) GL11.enabledCount--;
      delete GL11.enabled[cap];
    }
  },

  // glTexEnvi: how texels meet the colour. Textured primitives are always
  // drawn GL_REPLACE, the texel in place of the colour, the one mode the game
  // sets.
  glTexEnvi: function(target, pname, param) {},

  // glGetIntegerv: WebGL's integer state written to the program's memory,
  // as many ints as the value has (four for GL_VIEWPORT, one for
  // GL_MAX_TEXTURE_SIZE); booleans as 0 or 1.
  glGetIntegerv: function(pname, ptr) {
    var value = GLctx.getParameter(pname);
    if (value === null || value === undefined) return;
    if (typeof value === 'number' || typeof value === 'boolean') {
      HEAP32[ptr >> 2] = Number(value);
    } else {
      for (var i = 0; i < value.length; i++) HEAP32[(ptr >> 2) + i] = Number(value[i]);
    }
  },

  // glGenTextures: `n` new texture names into the int array at `ptr`. Names
  // are never handed out twice.
  glGenTextures: function(n, ptr) {
    if (!GL11.program) GL11.setUp();
    for (var i = 0; i < n; i++) {
      var name = GL11.nextName++;
      GL11.texture(name);
      HEAP32[(ptr >> 2) + i] = name;
    }
  },

  // glDeleteTextures: frees the textures named in the int array at `ptr`,
  // after drawing what was given with them; a bound one leaves none bound,
  // as in GL.
  glDeleteTextures: function(n, ptr) {
    GL11.flush();
    for (var i = 0; i < n; i++) {
      var name = HEAP32[(ptr >> 2) + i];
      if (!name || !GL11.textures[name]) continue;
      GLctx.deleteTexture(GL11.textures[name]);
      GL11.textures[name] = null;
      if (GL11.bound === name) GL11.bound = 0;
    }
  },

  // glBindTexture: the GL_TEXTURE_2D that textured primitives use from now
  // on and that the texture calls change. Collected vertices keep the
  // texture they were given with.
  glBindTexture: function(target, name) {
    if (!GL11.program) GL11.setUp();
    var texture = name ? GL11.texture(name) : null;
    GL11.bound = name;
    GLctx.bindTexture(GLctx.TEXTURE_2D, texture);
  },

  // glTexParameteri: filters and wrapping of the bound texture. GL 1.1's
  // GL_CLAMP is clamping to the edge here, which is what it does with a
  // texture without a border.
  glTexParameteri: function(target, pname, param) {
    GL11.flush();
    GLctx.texParameteri(GLctx.TEXTURE_2D, pname, param === 0x2900 ? GLctx.CLAMP_TO_EDGE : param);
  },

  // glTexImage2D: gives the bound texture its size and format, GL_RGB or
  // GL_RGBA bytes (GL 1.1's component counts 3 and 4 too), from the program's
  // memory, rows aligned to 4 bytes as GL reads them, or left black when
  // `pixels` is null.
  glTexImage2D: function(target, level, internalFormat, width, height, border, format, type, pixels) {
    GL11.flush();
    var gl = GLctx;
    var formats = {3: gl.RGB, 4: gl.RGBA};
    var inner = formats[internalFormat] || internalFormat;
    var data = null;
    if (pixels) {
      var channels = format === gl.RGBA ? 4 : 3;
      var row = (width * channels + 3) & ~3;
      data = HEAPU8.subarray(pixels, pixels + row * (height - 1) + width * channels);
    }
    gl.texImage2D(gl.TEXTURE_2D, level, inner, width, height, border, format, type, data);
  },

  // glCopyTexSubImage2D: a rectangle of the drawing buffer, with everything
  // given so far drawn into it first, into the bound texture.
  glCopyTexSubImage2D: function(target, level, xOffset, yOffset, x, y, width, height) {
    GL11.flush();
    GLctx.copyTexSubImage2D(GLctx.TEXTURE_2D, level, xOffset, yOffset, x, y, width, height);
  },

  // glutSwapBuffers: the frame is complete. One begun with a clear is drawn
  // over the one shown and then is the one shown; anything else is drawn as
  // it stands. The browser presents it when the callback returns.
  glutSwapBuffers: function() {
    if (!GL11.program) return;
    if (!GL11.deferred) {
      GL11.flush();
      return;
    }
    GL11.drawDeferred();
    GL11.shown = GL11.frame;
    GL11.shownSize = [GLctx.drawingBufferWidth, GLctx.drawingBufferHeight];
    GL11.frame = GL11.other;
    GL11.other = GL11.shown;
    GL11.frame.count = 0;
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

autoAddDeps(LibraryWebPlatform, '$GL11');
mergeInto(LibraryManager.library, LibraryWebPlatform);
// Reading a file descriptor is what brings in standard input from the page.
var fdReadDeps = LibraryManager.library['fd_read__deps'] || [];
LibraryManager.library['fd_read__deps'] = fdReadDeps.concat(['$WebStdin']);
