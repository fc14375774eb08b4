// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The browser's stand-in for OpenGL 1.1's client arrays and textures:
// glDrawArrays from the program's memory, texture names and their WebGL
// textures, copies of the drawing buffer into them, GL_TEXTURE_2D, and the
// state the game asks for with glGetIntegerv. The game draws its finest
// figures from arrays once and keeps the picture in textures.
//
// Whatever reaches WebGL here directly comes after what was collected before
// it (gl_frames.js draws that first).

var LibraryGLArrays = {
  $GLTextures__deps: ['$GL11', '$GLFrames'],
  $GLTextures: {
    vertexBuffer: null,   // client arrays
    colourBuffer: null,
    vertexPointer: {size: 4, stride: 0, ptr: 0},
    colourPointer: {size: 4, stride: 0, ptr: 0},
    textures: [null],     // WebGL textures by GL name; 0 is none
    bound: 0,             // the name bound to GL_TEXTURE_2D
    nextName: 1,          // the next name glGenTextures hands out
    answers: {},          // glGetIntegerv's last answers, by name

    setUp: function() {
      GLTextures.vertexBuffer = GLctx.createBuffer();
      GLTextures.colourBuffer = GLctx.createBuffer();
    },

    // The texture a name stands for, made when the name is first used, as
    // GL makes it on the first bind. It is clamped to its edge, the only
    // wrapping WebGL allows for every size.
    texture: function(name) {
      var texture = GLTextures.textures[name];
      if (texture) return texture;
      var gl = GLctx;
      texture = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_2D, texture);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
      gl.bindTexture(gl.TEXTURE_2D, GLTextures.textures[GLTextures.bound] || null);
      GLTextures.textures[name] = texture;
      return texture;
    },
  },

  // glEnableClientState / glDisableClientState: the game enables both the
  // vertex and the colour array around its glDrawArrays calls, and
  // glDrawArrays reads both.
  glEnableClientState: function(array) {},
  glDisableClientState: function(array) {},

  // glVertexPointer / glColorPointer: where the arrays lie in the program's
  // memory; GL_FLOAT only, stride 0 for tightly packed.
  glVertexPointer: function(size, type, stride, ptr) {
    GLTextures.vertexPointer = {size: size, stride: stride || size * 4, ptr: ptr};
  },
  glColorPointer: function(size, type, stride, ptr) {
    GLTextures.colourPointer = {size: size, stride: stride || size * 4, ptr: ptr};
  },

  // glDrawArrays: primitives straight from the vertex and colour arrays,
  // after what was given before them.
  glDrawArrays: function(mode, first, count) {
    if (count <= 0) return;
    GLFrames.flush();
    var gl = GLctx;
    var upload = function(buffer, pointer, location) {
      var start = pointer.ptr + first * pointer.stride;
      var length = (count - 1) * pointer.stride + pointer.size * 4;
      gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
      gl.bufferData(gl.ARRAY_BUFFER, HEAPU8.subarray(start, start + length), gl.STREAM_DRAW);
      gl.vertexAttribPointer(location, pointer.size, gl.FLOAT, false, pointer.stride, 0);
    };
    upload(GLTextures.vertexBuffer, GLTextures.vertexPointer, 0);
    upload(GLTextures.colourBuffer, GLTextures.colourPointer, 1);
    gl.drawArrays(mode, 0, count);
  },

  // glEnable / glDisable: GL_TEXTURE_2D textures what glBegin draws from then
  // on. The game enables nothing else.
  glEnable: function(cap) {
    if (cap === 0x0DE1) GL11.texturing = true;
  },
  glDisable: function(cap) {
    if (cap === 0x0DE1) GL11.texturing = false;
  },

  // glTexEnvi: how texels meet the colour. Textured primitives are always
  // drawn GL_REPLACE, the texel in place of the colour, the one mode the game
  // sets.
  glTexEnvi: function(target, pname, param) {},

  // glGetIntegerv: WebGL's integer state written to the program's memory,
  // as many ints as the value has (four for GL_VIEWPORT, one for
  // GL_MAX_TEXTURE_SIZE). A lost context answers nothing; the last answer
  // stands in for it meanwhile.
  glGetIntegerv: function(pname, ptr) {
    var value = GLctx.getParameter(pname);
    if (value === null) value = GLTextures.answers[pname];
    else GLTextures.answers[pname] = value;
    if (typeof value === 'number') {
      HEAP32[ptr >> 2] = value;
    } else if (value) {
      for (var i = 0; i < value.length; i++) HEAP32[(ptr >> 2) + i] = value[i];
    }
  },

  // glGenTextures: `n` new texture names into the int array at `ptr`. Names
  // are never handed out twice, and never freed: the game keeps its
  // textures for the whole run.
  glGenTextures: function(n, ptr) {
    if (!GL11.program) GL11.setUp();
    for (var i = 0; i < n; i++) {
      var name = GLTextures.nextName++;
      GLTextures.texture(name);
      HEAP32[(ptr >> 2) + i] = name;
    }
  },

  // glBindTexture: the GL_TEXTURE_2D that textured primitives use from now
  // on and that the texture calls change. Collected vertices keep the
  // texture they were given with.
  glBindTexture: function(target, name) {
    if (!GL11.program) GL11.setUp();
    var texture = name ? GLTextures.texture(name) : null;
    GLTextures.bound = name;
    GLctx.bindTexture(GLctx.TEXTURE_2D, texture);
  },

  // glTexParameteri: filters and wrapping of the bound texture. GL 1.1's
  // GL_CLAMP is clamping to the edge here, which is what it does with a
  // texture without a border.
  glTexParameteri: function(target, pname, param) {
    GLFrames.flush();
    GLctx.texParameteri(GLctx.TEXTURE_2D, pname, param === 0x2900 ? GLctx.CLAMP_TO_EDGE : param);
  },

  // glTexImage2D: gives the bound texture its size and format. The game
  // passes no pixels (GL_RGB, filled by glCopyTexSubImage2D), so it starts
  // black.
  glTexImage2D: function(target, level, internalFormat, width, height, border, format, type, pixels) {
    GLFrames.flush();
    GLctx.texImage2D(GLctx.TEXTURE_2D, level, internalFormat, width, height, border, format, type, null);
  },

  // glCopyTexSubImage2D: a rectangle of the drawing buffer, with everything
  // given so far drawn into it first, into the bound texture.
  glCopyTexSubImage2D: function(target, level, xOffset, yOffset, x, y, width, height) {
    GLFrames.flush();
    GLctx.copyTexSubImage2D(GLctx.TEXTURE_2D, level, xOffset, yOffset, x, y, width, height);
  },
};

autoAddDeps(LibraryGLArrays, '$GLTextures');
mergeInto(LibraryManager.library, LibraryGLArrays);
