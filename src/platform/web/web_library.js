// The page's side of the web platform's calls into JavaScript (emcc --js-library).
mergeInto(LibraryManager.library, {
  // Hands the shown part of the console to the page script (web_page.js), which draws it.
  webShowConsole: function (characters, attributes, columns, rows, stride) {
    Module['showConsole'](HEAPU8, characters, attributes, columns, rows, stride);
  },
});
