// The page around the game: scales the canvas sharp by the largest whole
// factor that fits, keeps Space and the arrows from scrolling the page,
// starts the sound with the first key press, keeps the record when the page
// is left, and shows the notice that the game has ended with its button to
// play again.
'use strict';

var Module = (function () {
  var canvas = document.getElementById('canvas');
  var help = document.getElementById('help');
  var ended = document.getElementById('ended');
  var again = document.getElementById('again');
  var KEYS_HELP = 'Space starts · arrows move · P pauses · M mutes · Escape ends the game · F11 full screen';
  var GAME_KEYS = ['Space', 'ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown'];

  // Counted in the screen's own pixels, so every game pixel covers a whole
  // square of them whatever the page's zoom.
  function fit() {
    var ratio = window.devicePixelRatio || 1;
    var room = Math.min(window.innerWidth / 640, (window.innerHeight - 26) / 480);
    var factor = Math.max(1, Math.floor(room * ratio));
    canvas.style.width = (640 * factor) / ratio + 'px';
    canvas.style.height = (480 * factor) / ratio + 'px';
  }
  window.addEventListener('resize', fit);
  fit();

  window.addEventListener('keydown', function (event) {
    if (GAME_KEYS.indexOf(event.code) >= 0) event.preventDefault();
  }, true);

  // Browsers start sound only after a gesture: the first key press or click.
  function startSound() {
    var sdl = Module.SDL2;
    if (sdl && sdl.audioContext && sdl.audioContext.state === 'suspended') {
      sdl.audioContext.resume();
    }
  }
  ['keydown', 'mousedown', 'touchstart'].forEach(function (name) {
    window.addEventListener(name, startSound, true);
  });

  // Leaving the page keeps a record held at that moment.
  window.addEventListener('pagehide', function () {
    if (Module._tirlaneLeavePage) Module._tirlaneLeavePage();
  });

  again.addEventListener('click', function () {
    Module.tirlaneStartAgain = true;
  });

  return {
    canvas: canvas,
    tirlaneTest: window.tirlaneTest,
    tirlaneStartAgain: false,
    tirlanePresents: window.tirlaneTest && window.tirlaneTest.logPresents ? [] : null,
    tirlaneShowEnded: function (shown) {
      ended.classList.toggle('shown', shown);
      if (shown) again.focus();
      else canvas.focus();
    },
    onRuntimeInitialized: function () {
      help.textContent = KEYS_HELP;
    },
    print: function (text) { console.log(text); },
    printErr: function (text) { console.error(text); },
  };
})();
