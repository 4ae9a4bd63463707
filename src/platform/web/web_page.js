// The page around the game (emcc --pre-js): draws the console grid and scales it to the window,
// and hands the page's key and mouse events to the web platform. The game's code runs in
// between, and events are delivered while it pauses.
(function () {
  'use strict';

  // The console's sixteen colours, by attribute nibble.
  var PALETTE = ['#000000', '#000080', '#008000', '#008080', '#800000', '#800080', '#808000',
    '#c0c0c0', '#808080', '#0000ff', '#00ff00', '#00ffff', '#ff0000', '#ff00ff', '#ffff00',
    '#ffffff'];
  var WALL_GLYPH = 219;

  // Key codes by KeyboardEvent.code, in the desktop's numbering that the game asks for.
  var KEY_CODES = {
    Backspace: 0x08, Tab: 0x09, Enter: 0x0d, NumpadEnter: 0x0d, ShiftLeft: 0x10,
    ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11, AltLeft: 0x12, AltRight: 0x12,
    Escape: 0x1b, Space: 0x20, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
  };
  // Keys whose browser action (scrolling, leaving a field) would get in the way.
  var KEEP_FROM_BROWSER = ['Backspace', 'Tab', 'Enter', 'NumpadEnter', 'Space', 'ArrowLeft',
    'ArrowUp', 'ArrowRight', 'ArrowDown'];

  var ready = false;
  var physicalIds = new Map();
  var rowCache = [];
  var shown = 0;

  function keyCode(code) {
    if (Object.prototype.hasOwnProperty.call(KEY_CODES, code)) {
      return KEY_CODES[code];
    }
    var letter = /^Key([A-Z])$/.exec(code);
    if (letter) {
      return letter[1].charCodeAt(0);
    }
    var digit = /^(?:Digit|Numpad)([0-9])$/.exec(code);
    return digit ? 0x30 + Number(digit[1]) : 0;
  }

  // A number for each key of the keyboard, so the left and the right Shift are told apart.
  function physicalId(code) {
    if (!physicalIds.has(code)) {
      physicalIds.set(code, physicalIds.size + 1);
    }
    return physicalIds.get(code);
  }

  // The byte a key press types at the settings prompt, as a terminal would send it; 0 for none.
  function typedByte(event) {
    if (event.metaKey || event.altKey) {
      return 0;
    }
    if (event.ctrlKey) {
      var control = { d: 0x04, u: 0x15 }[event.key.toLowerCase()];  // Ctrl+W is the browser's
      return control || 0;
    }
    if (event.key === 'Enter') {
      return 0x0d;
    }
    if (event.key === 'Backspace') {
      return 0x7f;
    }
    if (event.key.length === 1) {
      var c = event.key.charCodeAt(0);
      return c >= 0x20 && c < 0x7f ? c : 0;
    }
    return 0;
  }

  function deviceScale() {
    return window.devicePixelRatio || 1;
  }

  function reportScreen() {
    if (ready) {
      var scale = deviceScale();
      Module['_webScreenSize'](Math.round(window.innerWidth * scale),
        Math.round(window.innerHeight * scale));
    }
  }

  function grid() {
    return document.getElementById('grid');
  }

  // Scales the grid to the room it has, the same in both directions, so cells keep their shape.
  function fit() {
    var stage = document.getElementById('stage');
    var g = grid();
    if (!stage || !g || g.offsetWidth === 0 || g.offsetHeight === 0) {
      return;
    }
    var scale = Math.min(stage.clientWidth / g.offsetWidth, stage.clientHeight / g.offsetHeight);
    g.style.transform = 'scale(' + scale + ')';
    g.style.left = Math.max(0, (stage.clientWidth - g.offsetWidth * scale) / 2) + 'px';
    g.style.top = Math.max(0, (stage.clientHeight - g.offsetHeight * scale) / 2) + 'px';
    g.dataset.scale = String(scale);
  }

  function cellText(code) {
    if (code === WALL_GLYPH) {
      return '\u2588';
    }
    return code >= 0x20 && code < 0x7f ? String.fromCharCode(code) : ' ';
  }

  // One row of the grid: runs of cells of one attribute, each a span in its colours.
  function drawRow(element, heap, chars, attrs, columns, background) {
    var runs = [];
    var text = '';
    var attribute = heap[attrs];
    for (var column = 0; column < columns; ++column) {
      var a = heap[attrs + column];
      if (a !== attribute) {
        runs.push([text, attribute]);
        text = '';
        attribute = a;
      }
      text += cellText(heap[chars + column]);
    }
    runs.push([text, attribute]);
    element.replaceChildren.apply(element, runs.map(function (run) {
      var span = document.createElement('span');
      span.textContent = run[0];
      span.style.color = PALETTE[run[1] & 15];
      // The grid's own background is the console's: a cell of another colour says so itself,
      // and no seam shows between rows of the same colour on a scaled grid.
      if (run[1] >> 4 !== background) {
        span.style.backgroundColor = PALETTE[run[1] >> 4];
      }
      return span;
    }));
  }

  // Called by the web platform whenever the console changed: draws its shown part.
  Module['showConsole'] = function (heap, chars, attrs, columns, rows, stride) {
    var g = grid();
    while (g.children.length < rows) {
      g.appendChild(document.createElement('div'));
    }
    while (g.children.length > rows) {
      g.removeChild(g.lastChild);
    }
    // The console's attribute is the one of its last cell, which only the colours ever change.
    var last = attrs + (rows - 1) * stride + columns - 1;
    var background = heap[last] >> 4;
    if (g.dataset.background !== String(background)) {
      g.dataset.background = String(background);
      g.style.backgroundColor = PALETTE[background];
      rowCache.length = 0;
    }
    rowCache.length = rows;
    for (var row = 0; row < rows; ++row) {
      var start = row * stride;
      var key = columns + ':' + String.fromCharCode.apply(null,
        heap.subarray(chars + start, chars + start + columns)) + String.fromCharCode.apply(null,
        heap.subarray(attrs + start, attrs + start + columns));
      if (rowCache[row] !== key) {
        rowCache[row] = key;
        drawRow(g.children[row], heap, chars + start, attrs + start, columns, background);
      }
    }
    var resized = g.dataset.columns !== String(columns) || g.dataset.rows !== String(rows);
    g.dataset.columns = String(columns);
    g.dataset.rows = String(rows);
    g.dataset.shown = String(++shown);
    if (resized) {
      fit();
    }
  };

  function onKeyDown(event) {
    if (!ready) {
      return;
    }
    var typed = typedByte(event);
    if (typed !== 0 || KEEP_FROM_BROWSER.indexOf(event.code) >= 0) {
      event.preventDefault();
    }
    Module['_webKeyDown'](keyCode(event.code), physicalId(event.code), typed,
      event.repeat ? 1 : 0);
  }

  function onKeyUp(event) {
    if (ready) {
      Module['_webKeyUp'](keyCode(event.code), physicalId(event.code));
    }
  }

  function releaseKeys() {
    if (ready) {
      Module['_webReleaseKeys']();
    }
  }

  // Locked, the pointer's motion moves the game's cursor; otherwise its place is the cursor.
  function onMouseMove(event) {
    if (!ready) {
      return;
    }
    var scale = deviceScale();
    if (document.pointerLockElement === document.getElementById('stage')) {
      Module['_webPointerMove'](Math.round(event.movementX * scale),
        Math.round(event.movementY * scale));
    } else {
      Module['_webPointerAt'](Math.round(event.clientX * scale), Math.round(event.clientY * scale));
    }
  }

  function takePointer() {
    var stage = document.getElementById('stage');
    if (document.pointerLockElement !== stage) {
      var request = stage.requestPointerLock();
      if (request && request.catch) {
        request.catch(function () {});  // refused: the pointer's place stays the cursor
      }
    }
  }

  function start() {
    window.addEventListener('keydown', onKeyDown, true);
    window.addEventListener('keyup', onKeyUp, true);
    window.addEventListener('blur', releaseKeys);
    document.addEventListener('visibilitychange', function () {
      if (document.hidden) {
        releaseKeys();
      }
    });
    document.addEventListener('mousemove', onMouseMove);
    document.getElementById('stage').addEventListener('click', takePointer);
    var end = document.getElementById('end-input');
    end.addEventListener('mousedown', function (event) {
      event.preventDefault();  // keeps the focus off the button, so Enter never presses it
    });
    end.addEventListener('click', function () {
      if (ready) {
        Module['_webEndInput']();
      }
    });
    window.addEventListener('resize', function () {
      reportScreen();
      fit();
    });
  }

  Module['onRuntimeInitialized'] = function () {
    ready = true;
    reportScreen();  // before the game starts, which reads the cursor first
    document.body.dataset.state = 'running';
  };

  if (typeof document !== 'undefined') {
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', start);
    } else {
      start();
    }
  }
})();
