// Touch play (emcc --pre-js, after web_page.js): on a touch screen the page shows on-screen
// controls for the shown screen (the menu's Up, Down and Enter; W, A, S, D and a Run toggle for
// a demo; a keypad at the settings prompt). Each control holds its key from the finger's
// touch to its lift, and a drag on the view turns it by the finger's motion in device pixels,
// as the locked mouse does; every finger is followed on its own, so one can walk while another
// turns.
(function () {
  'use strict';

  var held = new Map();  // pointer id: the key code its control holds
  var drags = new Map(); // pointer id: the last x of a finger dragging on the view

  function input() {
    return Module['pageInput'];
  }

  function touchScreen() {
    return window.matchMedia('(pointer: coarse)').matches || 'ontouchstart' in window ||
      navigator.maxTouchPoints > 0;
  }

  function onControlDown(event) {
    var button = event.target.closest('button');
    if (!button) {
      return;
    }
    event.preventDefault();  // no focus, no text selection, no compatibility mouse events
    if (button.hasAttribute('data-end')) {
      input().endInput();
      return;
    }
    var code = button.dataset.code;
    if (button.hasAttribute('data-toggle')) {
      var on = button.getAttribute('aria-pressed') !== 'true';
      button.setAttribute('aria-pressed', String(on));
      if (on) {
        input().keyDown(code, 0);
      } else {
        input().keyUp(code);
      }
      return;
    }
    held.set(event.pointerId, code);
    button.classList.add('down');
    input().keyDown(code, Number(button.dataset.typed || 0));
  }

  function onControlUp(event) {
    var code = held.get(event.pointerId);
    if (code !== undefined) {
      held.delete(event.pointerId);
      var button = document.querySelector('#touch button.down[data-code="' + code + '"]');
      if (button) {
        button.classList.remove('down');
      }
      input().keyUp(code);
    }
  }

  function onViewDown(event) {
    if (event.pointerType === 'touch') {
      drags.set(event.pointerId, event.clientX);
    }
  }

  function onViewMove(event) {
    if (!drags.has(event.pointerId)) {
      return;
    }
    var dx = event.clientX - drags.get(event.pointerId);
    drags.set(event.pointerId, event.clientX);
    input().move(dx * (window.devicePixelRatio || 1), 0);
  }

  function onViewUp(event) {
    drags.delete(event.pointerId);
  }

  function start() {
    if (!touchScreen()) {
      return;
    }
    document.body.dataset.touch = 'on';
    var controls = document.getElementById('touch');
    controls.addEventListener('pointerdown', onControlDown);
    ['pointerup', 'pointercancel'].forEach(function (type) {
      controls.addEventListener(type, onControlUp);
    });
    controls.addEventListener('contextmenu', function (event) {
      event.preventDefault();  // a long press holds a key, it opens no menu
    });
    var stage = document.getElementById('stage');
    stage.addEventListener('pointerdown', onViewDown);
    stage.addEventListener('pointermove', onViewMove);
    ['pointerup', 'pointercancel'].forEach(function (type) {
      stage.addEventListener(type, onViewUp);
    });
  }

  if (typeof document !== 'undefined') {
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', start);
    } else {
      start();
    }
  }
})();
