// The console on the page (emcc --pre-js): a canvas of whole device pixels per cell, the wall
// glyph as a filled cell so walls join without seams, and a visually hidden text copy of the
// rows that carry text, for assistive technology and for tests. The web platform hands over
// only the rows that changed since its last presentation; only those are drawn, at the
// browser's next animation frame, as a console host draws its buffer while the program goes on.
(function () {
  'use strict';

  // The console's sixteen colours, by attribute nibble.
  var PALETTE = ['#000000', '#000080', '#008000', '#008080', '#800000', '#800080', '#808000',
    '#c0c0c0', '#808080', '#0000ff', '#00ff00', '#00ffff', '#ff0000', '#ff00ff', '#ffff00',
    '#ffffff'];
  var WALL_GLYPH = 219;
  var BLANK = 32;
  var CELL_ASPECT = 0.6;  // a cell's width per its height, as a monospace font's advance
  // The menu and the prompt keep cells at least this tall (CSS pixels) and are clipped to the
  // window's top-left part when it is too small for them, as a console window is.
  var LEGIBLE_CELL_HEIGHT = 12;
  var FONT = '"DejaVu Sans Mono", "Liberation Mono", Menlo, Consolas, monospace';
  var ANNOUNCE_MS = 1500;  // the status line is announced at most this often
  var SCREENS = ['menu', 'demo', 'prompt'];
  var DEMO = 1;

  // The palette as canvas pixels (RGBA bytes in memory order).
  var PIXELS = new Uint32Array(PALETTE.map(function (colour) {
    var value = parseInt(colour.slice(1), 16);
    return ((0xff << 24) | ((value & 0xff) << 16) | (value & 0xff00) | (value >> 16)) >>> 0;
  }));

  // What the platform last handed over: where the console lies in the heap and its shown part.
  var shown = { chars: 0, attrs: 0, columns: 0, rows: 0, stride: 0, screen: 0 };
  // The canvas as laid out: cell size in device pixels, and the one-pixel-a-cell image of the
  // cells' fill (the background, or the foreground for a wall) that is scaled onto it.
  var drawn = { columns: 0, rows: 0, cellWidth: 0, cellHeight: 0, scale: 0, left: -1, top: -1 };
  var cells = null;
  var cellImage = null;
  var cellPixels = null;
  var dirty = new Uint8Array(0);  // per row: handed over as changed, not drawn yet
  var frameRequested = false;
  var hasText = [];   // per row: any character other than blanks and walls
  var copied = [];    // per row: the text in the copy
  var stageSize = null;
  var presentations = 0;
  var announcedAt = -Infinity;

  function cellWidthFor(cellHeight) {
    return Math.max(1, Math.round(cellHeight * CELL_ASPECT));
  }

  function measureStage() {
    var stage = document.getElementById('stage');
    stageSize = { width: stage.clientWidth, height: stage.clientHeight };
  }

  // The largest whole-pixel cell with which the shown part fits the stage; true when the
  // canvas changed and must be drawn whole.
  function layout(canvas) {
    var scale = window.devicePixelRatio || 1;
    if (!stageSize) {
      measureStage();
    }
    var width = Math.floor(stageSize.width * scale);
    var height = Math.floor(stageSize.height * scale);
    var columns = shown.columns;
    var rows = shown.rows;
    var cellHeight = Math.max(1, Math.floor(Math.min(height / rows,
      width / (columns * CELL_ASPECT))));
    while (cellHeight > 1 && columns * cellWidthFor(cellHeight) > width) {
      --cellHeight;
    }
    var legible = shown.screen !== DEMO;
    if (legible) {
      cellHeight = Math.max(cellHeight, Math.round(LEGIBLE_CELL_HEIGHT * scale));
    }
    var cellWidth = cellWidthFor(cellHeight);
    var left = Math.max(0, Math.floor((width - columns * cellWidth) / 2));
    // On a touch screen held upright the grid stands at the top, the controls below it.
    var upright = document.body.dataset.touch === 'on' && height > width;
    var top = upright ? 0 : Math.max(0, Math.floor((height - rows * cellHeight) / 2));
    if (drawn.left !== left || drawn.top !== top) {
      drawn.left = left;
      drawn.top = top;
      canvas.style.left = left / scale + 'px';
      canvas.style.top = top / scale + 'px';
    }
    if (drawn.columns === columns && drawn.rows === rows && drawn.cellWidth === cellWidth &&
      drawn.cellHeight === cellHeight && drawn.scale === scale) {
      return false;
    }
    if (drawn.columns !== columns || drawn.rows !== rows) {
      cells = document.createElement('canvas');
      cells.width = columns;
      cells.height = rows;
      cellImage = cells.getContext('2d').createImageData(columns, rows);
      cellPixels = new Uint32Array(cellImage.data.buffer);
    }
    drawn = { columns: columns, rows: rows, cellWidth: cellWidth, cellHeight: cellHeight,
      scale: scale, left: left, top: top };
    canvas.width = columns * cellWidth;
    canvas.height = rows * cellHeight;
    canvas.style.width = canvas.width / scale + 'px';
    canvas.style.height = canvas.height / scale + 'px';
    var context = canvas.getContext('2d');
    context.imageSmoothingEnabled = false;
    context.font = cellHeight + 'px ' + FONT;
    context.textAlign = 'center';
    context.textBaseline = 'middle';
    canvas.dataset.columns = String(columns);
    canvas.dataset.rows = String(rows);
    canvas.dataset.cellWidth = String(cellWidth);
    canvas.dataset.cellHeight = String(cellHeight);
    canvas.dataset.scale = String(scale);
    return true;
  }

  // The cells' fill of the listed rows into the one-pixel-a-cell image.
  function fillCells(heap, list) {
    var columns = shown.columns;
    for (var i = 0; i < list.length; ++i) {
      var row = list[i];
      var chars = shown.chars + row * shown.stride;
      var attrs = shown.attrs + row * shown.stride;
      var at = row * columns;
      var text = false;
      for (var column = 0; column < columns; ++column) {
        var code = heap[chars + column];
        var attribute = heap[attrs + column];
        if (code === WALL_GLYPH) {
          cellPixels[at + column] = PIXELS[attribute & 15];
        } else {
          cellPixels[at + column] = PIXELS[attribute >> 4];
          text = text || (code > BLANK && code < 0x7f);
        }
      }
      hasText[row] = text;
    }
  }

  // The text of the row's printable characters, one cell each, in the row's band.
  function drawText(context, heap, row) {
    var chars = shown.chars + row * shown.stride;
    var attrs = shown.attrs + row * shown.stride;
    var width = drawn.cellWidth;
    var height = drawn.cellHeight;
    context.save();
    context.beginPath();
    context.rect(0, row * height, shown.columns * width, height);
    context.clip();
    var colour = -1;
    for (var column = 0; column < shown.columns; ++column) {
      var code = heap[chars + column];
      if (code > BLANK && code < 0x7f && code !== WALL_GLYPH) {
        var foreground = heap[attrs + column] & 15;
        if (foreground !== colour) {
          colour = foreground;
          context.fillStyle = PALETTE[colour];
        }
        context.fillText(String.fromCharCode(code), column * width + width / 2,
          row * height + height / 2);
      }
    }
    context.restore();
  }

  function rowString(heap, row) {
    var chars = shown.chars + row * shown.stride;
    var codes = new Array(shown.columns);
    for (var column = 0; column < shown.columns; ++column) {
      var code = heap[chars + column];
      codes[column] = code === WALL_GLYPH ? 0x2588 : (code >= BLANK && code < 0x7f ? code : BLANK);
    }
    return String.fromCharCode.apply(null, codes).replace(/ +$/, '');
  }

  // The copy holds the rows with text (menu, prompt, status line); rows of walls alone are the
  // picture, which only the canvas shows.
  function copyRows(heap, list) {
    var copy = document.getElementById('text');
    while (copy.children.length < shown.rows) {
      copy.appendChild(document.createElement('div'));
    }
    while (copy.children.length > shown.rows) {
      copy.removeChild(copy.lastChild);
    }
    copied.length = shown.rows;
    for (var i = 0; i < list.length; ++i) {
      var row = list[i];
      var text = hasText[row] ? rowString(heap, row) : '';
      if (copied[row] !== text) {
        copied[row] = text;
        copy.children[row].textContent = text;
      }
    }
    if (shown.screen === DEMO && list[0] === 0 && performance.now() - announcedAt >= ANNOUNCE_MS) {
      announcedAt = performance.now();
      document.getElementById('announce').textContent = copied[0];
    }
  }

  function draw(heap, list) {
    var canvas = document.getElementById('screen');
    if (layout(canvas)) {
      list = [];
      for (var row = 0; row < shown.rows; ++row) {
        list.push(row);
      }
    }
    if (list.length === 0) {
      return;
    }
    fillCells(heap, list);
    var first = list[0];
    var last = list[list.length - 1];
    cells.getContext('2d').putImageData(cellImage, 0, 0, 0, first, shown.columns,
      last - first + 1);
    var context = canvas.getContext('2d');
    var width = drawn.cellWidth;
    var height = drawn.cellHeight;
    // Each run of adjacent changed rows is scaled onto the canvas at once.
    for (var i = 0; i < list.length;) {
      var start = list[i];
      var end = start;
      while (i + 1 < list.length && list[i + 1] === end + 1) {
        ++i;
        ++end;
      }
      ++i;
      context.drawImage(cells, 0, start, shown.columns, end - start + 1, 0, start * height,
        shown.columns * width, (end - start + 1) * height);
    }
    for (var j = 0; j < list.length; ++j) {
      if (hasText[list[j]]) {
        drawText(context, heap, list[j]);
      }
    }
    copyRows(heap, list);
  }

  // Called by the web platform at a presentation: `changed` lists the rows to draw. The screen
  // shown decides the keys the page takes, so it is known at once; the rows are drawn at the
  // next animation frame, from the console as it is then.
  Module['showConsole'] = function (heap, chars, attrs, columns, rows, stride, changed, screen) {
    shown = { chars: chars, attrs: attrs, columns: columns, rows: rows, stride: stride,
      screen: screen };
    if (dirty.length < rows) {
      dirty = new Uint8Array(rows);
    }
    for (var i = 0; i < changed.length; ++i) {
      dirty[changed[i]] = 1;
    }
    if (document.body.dataset.screen !== SCREENS[screen]) {
      document.body.dataset.screen = SCREENS[screen];
    }
    if (!frameRequested) {
      frameRequested = true;
      requestAnimationFrame(function () {
        frameRequested = false;
        Module['drawGrid']();
      });
    }
  };

  // Draws the rows handed over since the last drawing.
  Module['drawGrid'] = function () {
    var list = [];
    for (var row = 0; row < shown.rows; ++row) {
      if (dirty[row]) {
        list.push(row);
      }
    }
    dirty.fill(0);
    hasText.length = shown.rows;
    draw(Module['HEAPU8'], list);
    document.getElementById('screen').dataset.shown = String(++presentations);
    if (Module['onPresented']) {
      Module['onPresented']();
    }
  };

  // The stage changed size (the window, the bar, the device pixel ratio): the whole grid again,
  // drawn at once.
  Module['redrawGrid'] = function () {
    measureStage();
    if (shown.columns > 0) {
      draw(Module['HEAPU8'], []);
    }
  };
})();
