// The page's side of the web platform's calls into JavaScript (emcc --js-library).
mergeInto(LibraryManager.library, {
  // Hands the changed rows of the shown part of the console to the page script (web_page.js),
  // which draws them.
  webShowConsole: function (characters, attributes, columns, rows, stride, changedRows,
    changedCount, screen) {
    Module['showConsole'](HEAPU8, characters, attributes, columns, rows, stride,
      HEAP32.subarray(changedRows >> 2, (changedRows >> 2) + changedCount), screen);
  },

  // Sleeps until the page script wakes the game at its next input event, or the time is up.
  webWaitForEvent__deps: ['$Asyncify'],
  webWaitForEvent: function (milliseconds) {
    return Asyncify.handleSleep(function (wakeUp) {
      Module['waitForEvent'](milliseconds, wakeUp);
    });
  },
});
