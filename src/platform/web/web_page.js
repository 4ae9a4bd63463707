// The page around the game (emcc --pre-js, after web_grid.js): loads the wasm and says so, shows
// an error in the page when anything fails, and hands the page's key and mouse events to the
// web platform, taking from the browser only the keys the shown screen uses. The game's code
// runs in between, and events are delivered while it pauses.
(function () {
  'use strict';

  var WASM_FILE = 'mazecast.wasm';
  var STOPPED = 'The game stopped: reload the page to play again.';

  // Key codes by KeyboardEvent.code, in the desktop's numbering that the game asks for.
  var KEY_CODES = {
    Backspace: 0x08, Tab: 0x09, Enter: 0x0d, NumpadEnter: 0x0d, ShiftLeft: 0x10,
    ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11, AltLeft: 0x12, AltRight: 0x12,
    Escape: 0x1b, Space: 0x20, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
  };
  var ARROWS = ['ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown'];
  var DIGITS = '0123456789'.split('').reduce(function (codes, digit) {
    return codes.concat(['Digit' + digit, 'Numpad' + digit]);
  }, []);
  // The keys each screen uses, taken from the browser there; all others keep their browser
  // actions (Tab, shortcuts). Ctrl+D and Ctrl+U are the prompt's too.
  var SCREEN_KEYS = {
    menu: ['Enter', 'NumpadEnter'].concat(ARROWS),
    demo: ['KeyW', 'KeyA', 'KeyS', 'KeyD', 'ShiftLeft', 'ShiftRight'].concat(ARROWS),
    prompt: ['Backspace', 'Enter', 'NumpadEnter', 'Space'].concat(DIGITS),
  };

  var TOUCH_MOUSE_MS = 1000;  // mouse events this soon after a touch are the browser's copies

  var ready = false;
  var physicalIds = new Map();
  var wakeGame = null;
  var touchedAt = -Infinity;

  function fail(message) {
    if (document.body.dataset.state === 'error') {
      return;
    }
    ready = false;
    document.body.dataset.state = 'error';
    document.getElementById('message').textContent = message;
  }

  // The game waits for input (the idle menu, the prompt): the next event ends the wait.
  Module['waitForEvent'] = function (milliseconds, wakeUp) {
    var timer = setTimeout(function () {
      wakeGame = null;
      wakeUp();
    }, milliseconds);
    wakeGame = function () {
      clearTimeout(timer);
      wakeUp();
    };
  };

  // Called after every delivered event; the game goes on once the event's handler is done.
  function inputArrived() {
    if (wakeGame) {
      var wake = wakeGame;
      wakeGame = null;
      Promise.resolve().then(wake);
    }
  }

  Module['onPresented'] = function () {
    if (document.body.dataset.state === 'loading') {
      document.body.dataset.state = 'ready';
    }
  };

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

  function screenUses(event) {
    var screen = document.body.dataset.screen;
    if (event.metaKey || event.altKey) {
      return false;
    }
    if (event.ctrlKey) {
      return screen === 'prompt' && (event.code === 'KeyD' || event.code === 'KeyU');
    }
    return (SCREEN_KEYS[screen] || []).indexOf(event.code) >= 0;
  }

  function capsLock(event) {
    return event.getModifierState && event.getModifierState('CapsLock') ? 1 : 0;
  }

  function onKeyDown(event) {
    if (!ready) {
      return;
    }
    if (screenUses(event)) {
      event.preventDefault();
    }
    var typed = document.body.dataset.screen === 'prompt' ? typedByte(event) : 0;
    Module['_webKeyDown'](keyCode(event.code), physicalId(event.code), typed,
      event.repeat ? 1 : 0, capsLock(event));
    inputArrived();
  }

  function onKeyUp(event) {
    if (ready) {
      Module['_webKeyUp'](keyCode(event.code), physicalId(event.code), capsLock(event));
      inputArrived();
    }
  }

  function releaseKeys() {
    if (ready) {
      Module['_webReleaseKeys']();
      inputArrived();
    }
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

  function stage() {
    return document.getElementById('stage');
  }

  // Locked, the pointer's motion in device pixels moves the game's cursor, fractions kept;
  // otherwise the pointer's place is the cursor.
  function onMouseMove(event) {
    if (!ready || performance.now() - touchedAt < TOUCH_MOUSE_MS) {
      return;
    }
    var scale = deviceScale();
    if (document.pointerLockElement === stage()) {
      Module['_webPointerMove'](event.movementX * scale, event.movementY * scale);
    } else {
      Module['_webPointerAt'](Math.round(event.clientX * scale), Math.round(event.clientY * scale));
    }
  }

  // Mouse look is for a running demo: only a click there takes the pointer.
  function takePointer(event) {
    if (!ready || document.body.dataset.screen !== 'demo' ||
      document.pointerLockElement === stage() || event.pointerType === 'touch') {
      return;
    }
    var request = stage().requestPointerLock();
    if (request && request.catch) {
      request.catch(function () {});  // refused: the pointer's place stays the cursor
    }
  }

  function showLock() {
    document.body.dataset.lock = document.pointerLockElement === stage() ? 'on' : 'off';
  }

  // The bar is folded in small windows to start with (index.html); the "?" opens and folds it.
  function showBarState() {
    var open = getComputedStyle(document.getElementById('bar')).display !== 'none';
    document.getElementById('bar-toggle').setAttribute('aria-expanded', String(open));
  }

  function toggleBar() {
    var open = getComputedStyle(document.getElementById('bar')).display === 'none';
    document.body.dataset.bar = open ? 'open' : 'folded';
    showBarState();
  }

  // The on-screen controls (web_touch.js) press keys and move the cursor through these, as the
  // keyboard and the locked mouse do; each control is a key of its own.
  Module['pageInput'] = {
    keyDown: function (code, typed) {
      if (ready) {
        var prompt = document.body.dataset.screen === 'prompt';
        Module['_webKeyDown'](keyCode(code), physicalId('control ' + code), prompt ? typed : 0,
          0, 0);
        inputArrived();
      }
    },
    keyUp: function (code) {
      if (ready) {
        Module['_webKeyUp'](keyCode(code), physicalId('control ' + code), 0);
        inputArrived();
      }
    },
    move: function (dx, dy) {
      if (ready) {
        Module['_webPointerMove'](dx, dy);
      }
    },
    endInput: function () {
      if (ready) {
        Module['_webEndInput']();
        inputArrived();
      }
    },
  };

  function noteTouch(event) {
    if (event.pointerType === 'touch') {
      touchedAt = performance.now();
    }
  }

  function start() {
    ['pointerdown', 'pointermove', 'pointerup'].forEach(function (type) {
      document.addEventListener(type, noteTouch, true);
    });
    window.addEventListener('keydown', onKeyDown, true);
    window.addEventListener('keyup', onKeyUp, true);
    window.addEventListener('blur', releaseKeys);
    document.addEventListener('visibilitychange', function () {
      if (document.hidden) {
        releaseKeys();
      }
    });
    document.addEventListener('mousemove', onMouseMove);
    document.addEventListener('pointerlockchange', showLock);
    stage().addEventListener('click', takePointer);
    document.getElementById('bar-toggle').addEventListener('click', toggleBar);
    var end = document.getElementById('end-input');
    end.addEventListener('mousedown', function (event) {
      event.preventDefault();  // keeps the focus off the button, so Enter never presses it
    });
    end.addEventListener('click', function () {
      Module['pageInput'].endInput();
    });
    window.addEventListener('resize', function () {
      reportScreen();
      showBarState();
    });
    new ResizeObserver(function () {
      Module['redrawGrid']();
    }).observe(stage());
    showLock();
    showBarState();
  }

  // The wasm fetched here, so that a failed fetch says what failed.
  Module['instantiateWasm'] = function (imports, receiveInstance) {
    fetch(WASM_FILE, { credentials: 'same-origin' }).then(function (response) {
      if (!response.ok) {
        throw new Error('Could not load ' + WASM_FILE + ': ' + response.status + ' ' +
          response.statusText);
      }
      var type = response.headers.get('Content-Type') || '';
      if (WebAssembly.instantiateStreaming && type.indexOf('application/wasm') === 0) {
        return WebAssembly.instantiateStreaming(response, imports);
      }
      return response.arrayBuffer().then(function (bytes) {
        return WebAssembly.instantiate(bytes, imports);
      });
    }).then(function (result) {
      receiveInstance(result.instance, result.module);
    }, function (error) {
      fail(/^Could not load/.test(error.message) ? error.message :
        'Could not load ' + WASM_FILE + ': ' + error.message);
    });
    return {};
  };

  Module['onAbort'] = function (what) {
    fail(typeof WebAssembly !== 'object' ?
      'This browser cannot run WebAssembly, which the game needs.' : STOPPED + ' (' + what + ')');
  };

  Module['onRuntimeInitialized'] = function () {
    ready = true;
    reportScreen();  // before the game starts, which reads the cursor first
  };

  if (typeof document !== 'undefined') {
    window.addEventListener('error', function (event) {
      fail(STOPPED + ' (' + event.message + ')');
    });
    window.addEventListener('unhandledrejection', function (event) {
      fail(STOPPED + ' (' + String(event.reason && event.reason.message || event.reason) + ')');
    });
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', start);
    } else {
      start();
    }
  }
})();
